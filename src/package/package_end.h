// Where the package ends: at the end of the file, or, in a signed installer, where
// the certificate table that signing appended begins. Between the trailer and that
// point lie 0 to 7 zero bytes, the padding signing puts before an 8-byte aligned
// table.
#pragma once

#include "package/bounded_reader.h"

#include <stdint.h>

namespace package {

constexpr uint32_t kMaxSigningPadding = 7;

enum class PackageEndResult {
    kFound,
    kCertificateNotAtEnd,  // the certificate table does not end exactly at the end of the file
    kNoTrailer,            // no "iend" trailer before the end, after 0 to 7 zero bytes
};

struct PackageEnd {
    bool isSigned = false;           // the file is a PE image with a certificate table
    uint32_t certificateOffset = 0;  // the data directory's entry, as found
    uint32_t certificateSize = 0;
    uint32_t end = 0;                // where the package ends: the file's end or the table's start
    uint32_t padding = 0;            // zero bytes between the trailer and `end`
    uint32_t trailerOffset = 0;
};

// Looks over the whole of `file`; *where is filled as far as the search got.
PackageEndResult FindPackageEnd(const BoundedReader& file, PackageEnd* where);

}  // namespace package
