// The trailer a writer puts at the end of a package: the one place that knows how
// the header's distance and checksum are masked and how the stub is checked.
// The stub itself only reads trailers; the packer, the tests and the benchmarks
// write them.
#pragma once

#include "package/package_format.h"

namespace package {

// The trailer of a package that ends (trailer included) at `packageEnd`, whose
// header chunk starts at `headerOffset`, and whose stub image (the bytes before
// the header) has the self-check `stubCheck` (stub_check.h).
InstEnd MakeTrailer(uint32_t packageEnd, uint32_t headerOffset, const InstHeader& header, uint32_t stubCheck);

}  // namespace package
