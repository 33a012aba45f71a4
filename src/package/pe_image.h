// Whether a range of bytes holds a PE image, and where its two fields lie that
// Authenticode signing rewrites: the optional header's CheckSum and the data
// directory's certificate-table entry. Signing changes nothing else before the
// certificate table it appends, so these are what the self-check must look past
// and what tells where a signed installer's package ends.
#pragma once

#include "package/bounded_reader.h"

#include <stdint.h>

namespace package {

constexpr uint32_t kPeCheckSumSize = 4;
constexpr uint32_t kPeCertificateEntrySize = 8;  // file offset, then size

struct PeImageFields {
    uint32_t checkSumOffset;
    uint32_t certificateEntryOffset;
    // The entry's values. Unlike the other data directories, its address is a
    // file offset, not an RVA.
    uint32_t certificateOffset;
    uint32_t certificateSize;
};

// True with the fields' positions when the bytes of `range` hold a PE32 or PE32+
// image whose headers reach the certificate-table entry; false for anything else
// (including bytes that cannot be read), which is never an error in itself.
bool FindPeImageFields(const BoundedReader& range, PeImageFields* fields);

}  // namespace package
