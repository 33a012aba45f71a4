#include "package/stub_check.h"

#include "package/crc32.h"
#include "package/package_format.h"
#include "package/pe_image.h"

#include <string.h>

namespace package {

namespace {

// Zeroes the part of the field [field, field + width) that falls inside the
// piece of `count` bytes read from `offset`.
void BlankField(uint8_t* piece, uint32_t offset, uint32_t count, uint32_t field, uint32_t width)
{
    uint64_t begin = field > offset ? field : offset;
    uint64_t end = uint64_t(field) + width < uint64_t(offset) + count ? uint64_t(field) + width
                                                                      : uint64_t(offset) + count;
    if (begin < end)
        memset(piece + (begin - offset), 0, size_t(end - begin));
}

}  // namespace

bool ComputeStubCheck(const BoundedReader& image, uint32_t* crc)
{
    PeImageFields fields;
    bool isPe = FindPeImageFields(image, &fields);
    uint8_t piece[kStreamStepBytes];
    uint32_t c = 0;
    for (uint32_t offset = 0; offset < image.size();) {
        uint32_t left = image.size() - offset;
        uint32_t count = left < kStreamStepBytes ? left : kStreamStepBytes;
        if (!image.ReadAt(offset, piece, count))
            return false;
        if (isPe) {
            BlankField(piece, offset, count, fields.checkSumOffset, kPeCheckSumSize);
            BlankField(piece, offset, count, fields.certificateEntryOffset, kPeCertificateEntrySize);
        }
        c = crc32(c, piece, count);
        offset += count;
    }
    *crc = c;
    return true;
}

uint32_t ComputeStubCheck(const void* image, uint32_t size)
{
    uint32_t crc = 0;
    ComputeStubCheck(BoundedReader::OverMemory(image, size), &crc);
    return crc;
}

}  // namespace package
