#include "pe/pe_layout.h"

namespace saverpack {

namespace {

constexpr uint32_t kNewHeaderField = 0x3C;  // e_lfanew
constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kFileHeaderSize = 20;
constexpr uint32_t kSectionEntrySize = 40;
constexpr uint16_t kMaxSections = 96;  // the loader's limit
constexpr uint32_t kMaxDirectories = 16;

}  // namespace

uint32_t MappedSize(const PeSection& section)
{
    return section.virtualSize != 0 && section.virtualSize < section.rawSize ? section.virtualSize : section.rawSize;
}

const PeSection* PeLayout::SectionHolding(uint32_t rva, uint32_t size) const
{
    for (const PeSection& section : sections) {
        if (rva >= section.virtualAddress && rva - section.virtualAddress <= MappedSize(section) &&
            size <= MappedSize(section) - (rva - section.virtualAddress))
            return &section;
    }
    return nullptr;
}

bool FileOffsetOf(const PeLayout& layout, uint32_t rva, uint32_t size, uint32_t* offset)
{
    const PeSection* section = layout.SectionHolding(rva, size);
    if (section == nullptr)
        return false;
    *offset = section->rawOffset + (rva - section->virtualAddress);
    return true;
}

bool ReadPeLayout(const package::BoundedReader& image, PeLayout* layout, std::string* problem)
{
    *layout = PeLayout();
    uint16_t mz = 0;
    uint32_t newHeader = 0, signature = 0;
    if (!image.ReadU16(0, &mz) || mz != ('M' | 'Z' << 8) || !image.ReadU32(kNewHeaderField, &newHeader) ||
        !image.ReadU32(newHeader, &signature) || signature != ('P' | 'E' << 8)) {
        *problem = "it is not a PE image";
        return false;
    }
    const uint64_t fileHeader = uint64_t(newHeader) + 4;
    uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (fileHeader + kFileHeaderSize + 2 > image.size() || !image.ReadU16(uint32_t(fileHeader + 2), &sectionCount) ||
        !image.ReadU16(uint32_t(fileHeader + 16), &optionalSize) ||
        !image.ReadU16(uint32_t(fileHeader + kFileHeaderSize), &magic)) {
        *problem = "its PE headers are cut short";
        return false;
    }
    if (magic != kMagicPe32 && magic != kMagicPe32Plus) {
        *problem = "its optional header is neither PE32 nor PE32+";
        return false;
    }
    layout->pe32Plus = magic == kMagicPe32Plus;
    layout->optionalHeader = uint32_t(fileHeader + kFileHeaderSize);
    const uint32_t countField = layout->pe32Plus ? 108 : 92;
    uint32_t directoryCount = 0;
    if (optionalSize < countField + 4 || !image.ReadU32(layout->optionalHeader + 32, &layout->sectionAlignment) ||
        !image.ReadU32(layout->optionalHeader + 36, &layout->fileAlignment) ||
        !image.ReadU32(layout->optionalHeader + 60, &layout->sizeOfHeaders) ||
        !image.ReadU32(layout->optionalHeader + countField, &directoryCount)) {
        *problem = "its optional header is cut short";
        return false;
    }
    // Windows reads at most 16 directories, and only those the header has room for.
    layout->directoriesOffset = layout->optionalHeader + countField + 4;
    uint32_t room = (optionalSize - countField - 4) / 8;
    uint32_t count = directoryCount < room ? directoryCount : room;
    count = count < kMaxDirectories ? count : kMaxDirectories;
    for (uint32_t i = 0; i < count; ++i) {
        PeDirectory directory;
        if (!image.ReadU32(layout->directoriesOffset + 8 * i, &directory.rva) ||
            !image.ReadU32(layout->directoriesOffset + 8 * i + 4, &directory.size)) {
            *problem = "its data directories are cut short";
            return false;
        }
        layout->directories.push_back(directory);
    }
    if (layout->fileAlignment == 0 || (layout->fileAlignment & (layout->fileAlignment - 1)) != 0 ||
        layout->sectionAlignment < layout->fileAlignment ||
        (layout->sectionAlignment & (layout->sectionAlignment - 1)) != 0) {
        *problem = "its alignments are not powers of two";
        return false;
    }
    if (sectionCount > kMaxSections) {
        *problem = "it has more than 96 sections";
        return false;
    }
    const uint64_t table = uint64_t(layout->optionalHeader) + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint64_t entry = table + uint64_t(i) * kSectionEntrySize;
        PeSection section;
        if (entry + kSectionEntrySize > image.size()) {
            *problem = "its section table is cut short";
            return false;
        }
        section.entryOffset = uint32_t(entry);
        if (!image.ReadU32(section.entryOffset + 8, &section.virtualSize) ||
            !image.ReadU32(section.entryOffset + 12, &section.virtualAddress) ||
            !image.ReadU32(section.entryOffset + 16, &section.rawSize) ||
            !image.ReadU32(section.entryOffset + 20, &section.rawOffset) ||
            !image.ReadU32(section.entryOffset + 36, &section.characteristics)) {
            *problem = "its section table is cut short";
            return false;
        }
        // (The loader looks at no PointerToRawData of a section without raw data.)
        if (section.rawSize != 0 && uint64_t(section.rawOffset) + section.rawSize > image.size()) {
            *problem = "section " + std::to_string(i + 1) + "'s raw data lies beyond the end of the file";
            return false;
        }
        layout->sections.push_back(section);
    }
    return true;
}

}  // namespace saverpack
