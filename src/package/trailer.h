// The trailer a writer puts at the end of a package: the one place that knows how
// the header's distance and checksum are masked and how the stub is checked.
// The stub itself only reads trailers; the packer, the tests and the benchmarks
// write them.
#pragma once

#include "package/package_format.h"

namespace package {

// The trailer of a package whose whole file (trailer included) is `fileSize`
// bytes, whose header chunk starts at `headerOffset`, and whose stub image (the
// bytes before the header) has CRC-32 `stubCheck`.
InstEnd MakeTrailer(uint32_t fileSize, uint32_t headerOffset, const InstHeader& header, uint32_t stubCheck);

}  // namespace package
