// The stub's self-check: the value in the trailer's dwStubCheck that guards the
// stub image (everything before the header chunk) against change.
#pragma once

#include "package/bounded_reader.h"

#include <stdint.h>

namespace package {

// CRC-32 of the bytes of `image`. When they hold a PE image, its CheckSum and
// certificate-table entry count as zero: signing rewrites exactly those two
// fields, and every other byte stays guarded. False if a read fails.
bool ComputeStubCheck(const BoundedReader& image, uint32_t* crc);

// The same for a stub image held in memory, where no read can fail.
uint32_t ComputeStubCheck(const void* image, uint32_t size);

}  // namespace package
