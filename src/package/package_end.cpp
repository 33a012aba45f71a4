#include "package/package_end.h"

#include "package/package_format.h"
#include "package/pe_image.h"

#include <string.h>

namespace package {

PackageEndResult FindPackageEnd(const BoundedReader& file, PackageEnd* where)
{
    *where = PackageEnd();
    where->end = file.size();
    PeImageFields fields;
    if (FindPeImageFields(file, &fields) && (fields.certificateOffset != 0 || fields.certificateSize != 0)) {
        where->isSigned = true;
        where->certificateOffset = fields.certificateOffset;
        where->certificateSize = fields.certificateSize;
        // Anything after the table (bytes appended after signing) and a table
        // that lies elsewhere both mean the file is not what was signed.
        if (uint64_t(fields.certificateOffset) + fields.certificateSize != file.size())
            return PackageEndResult::kCertificateNotAtEnd;
        where->end = fields.certificateOffset;
    }

    // The last bytes before the end: the trailer and at most 7 bytes of padding.
    constexpr uint32_t kTail = kTrailerSize + kMaxSigningPadding;
    uint8_t tail[kTail];
    uint32_t have = where->end < kTail ? where->end : kTail;
    if (have < kTrailerSize || !file.ReadAt(where->end - have, tail, have))
        return PackageEndResult::kNoTrailer;
    for (uint32_t padding = 0; padding <= kMaxSigningPadding && kTrailerSize + padding <= have; ++padding) {
        const uint8_t* trailer = tail + have - padding - kTrailerSize;
        if (padding > 0 && tail[have - padding] != 0)
            break;  // the bytes after the trailer must all be zero
        if (memcmp(trailer, "iend", 4) == 0) {
            where->padding = padding;
            where->trailerOffset = where->end - padding - kTrailerSize;
            return PackageEndResult::kFound;
        }
    }
    return PackageEndResult::kNoTrailer;
}

}  // namespace package
