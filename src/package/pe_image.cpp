#include "package/pe_image.h"

namespace package {

namespace {

constexpr uint32_t kDosNewHeaderField = 0x3C;  // e_lfanew
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kCertificateDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY

// Where the fields this rule reads lie, counted from the "PE\0\0" signature: the
// file header is 20 bytes after the 4 of the signature, the optional header
// follows it, and PE32+ has 16 more bytes before its data directories.
struct OptionalHeaderLayout {
    uint32_t minimumSize;       // SizeOfOptionalHeader reaching data directory 4
    uint32_t directoryCount;    // NumberOfRvaAndSizes
    uint32_t certificateEntry;  // data directory 4
};
constexpr uint32_t kSizeOfOptionalHeaderField = 20;
constexpr uint32_t kMagicField = 24;
constexpr uint32_t kCheckSumField = 88;
constexpr OptionalHeaderLayout kPe32 = {136, 116, 152};
constexpr OptionalHeaderLayout kPe32Plus = {152, 132, 168};

// newHeader + relative, as a position inside the range; false when the sum
// passes 2^32 or the range's end.
bool At(const BoundedReader& range, uint32_t newHeader, uint32_t relative, uint32_t* position)
{
    uint64_t sum = uint64_t(newHeader) + relative;
    if (sum >= range.size())
        return false;
    *position = uint32_t(sum);
    return true;
}

}  // namespace

bool FindPeImageFields(const BoundedReader& range, PeImageFields* fields)
{
    uint16_t mz = 0;
    uint32_t newHeader = 0;
    if (!range.ReadU16(0, &mz) || mz != ('M' | 'Z' << 8) || !range.ReadU32(kDosNewHeaderField, &newHeader))
        return false;

    uint32_t signature = 0, magicAt = 0, sizeAt = 0;
    uint16_t magic = 0, optionalSize = 0;
    if (!range.ReadU32(newHeader, &signature) || signature != ('P' | 'E' << 8) ||
        !At(range, newHeader, kMagicField, &magicAt) || !range.ReadU16(magicAt, &magic) ||
        !At(range, newHeader, kSizeOfOptionalHeaderField, &sizeAt) || !range.ReadU16(sizeAt, &optionalSize))
        return false;
    const OptionalHeaderLayout* layout = magic == kMagicPe32 ? &kPe32 : magic == kMagicPe32Plus ? &kPe32Plus : nullptr;
    if (layout == nullptr || optionalSize < layout->minimumSize)
        return false;

    uint32_t countAt = 0, directories = 0, checkSumAt = 0, entryAt = 0;
    if (!At(range, newHeader, layout->directoryCount, &countAt) || !range.ReadU32(countAt, &directories) ||
        directories <= kCertificateDirectory)
        return false;
    uint32_t checkSum = 0;
    uint8_t entry[kPeCertificateEntrySize];
    if (!At(range, newHeader, kCheckSumField, &checkSumAt) || !range.ReadU32(checkSumAt, &checkSum) ||
        !At(range, newHeader, layout->certificateEntry, &entryAt) || !range.ReadAt(entryAt, entry, sizeof entry))
        return false;
    fields->checkSumOffset = checkSumAt;
    fields->certificateEntryOffset = entryAt;
    BoundedReader values = BoundedReader::OverMemory(entry, sizeof entry);
    return values.ReadU32(0, &fields->certificateOffset) && values.ReadU32(4, &fields->certificateSize);
}

}  // namespace package
