// CRC-32 (reflected polynomial 0xEDB88320), the checksum of the package header and
// of the stub image. Results equal zlib's crc32; ours lives in a namespace so the
// two never collide at link time.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace package {

// Continues a CRC-32 from `crc` (0 to begin) over `length` bytes; a null buffer gives 0.
uint32_t crc32(uint32_t crc, const void* buffer, size_t length);

}  // namespace package
