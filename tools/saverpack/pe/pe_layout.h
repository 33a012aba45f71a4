// The parts of a PE image's headers that its resources are found and rewritten
// by: the section table, the alignments and the data directories, in PE32 and
// PE32+ alike. Read through bounded reads, because a saver is a stranger's file.
#pragma once

#include "package/bounded_reader.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

constexpr uint32_t kResourceDirectory = 2;    // IMAGE_DIRECTORY_ENTRY_RESOURCE
constexpr uint32_t kCertificateDirectory = 4;  // IMAGE_DIRECTORY_ENTRY_SECURITY: a file offset, not an RVA
constexpr uint32_t kRelocationDirectory = 5;   // IMAGE_DIRECTORY_ENTRY_BASERELOC

struct PeSection {
    uint32_t entryOffset;  // where its 40-byte entry lies in the file
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawOffset;  // PointerToRawData
    uint32_t rawSize;    // SizeOfRawData
    uint32_t characteristics;
};

struct PeDirectory {
    uint32_t rva;
    uint32_t size;
};

struct PeLayout {
    bool pe32Plus = false;
    uint32_t optionalHeader = 0;  // file offset of the optional header
    uint32_t sectionAlignment = 0;
    uint32_t fileAlignment = 0;
    uint32_t sizeOfHeaders = 0;
    uint32_t directoriesOffset = 0;  // file offset of data directory 0
    std::vector<PeDirectory> directories;
    std::vector<PeSection> sections;

    // Offsets in the optional header, the same in PE32 and PE32+.
    static constexpr uint32_t kSizeOfInitializedData = 8;
    static constexpr uint32_t kSizeOfImage = 56;

    PeDirectory Directory(uint32_t index) const
    {
        return index < directories.size() ? directories[index] : PeDirectory{0, 0};
    }
    // The section whose mapped bytes hold [rva, rva + size), or null. A section
    // maps the lesser of its raw and its virtual size from the file (all of its
    // raw data when the virtual size is 0, as old linkers write it).
    const PeSection* SectionHolding(uint32_t rva, uint32_t size) const;
};

// Reads the headers. False, with why, when `image` is not a PE32 or PE32+ image
// with a sound section table (no more than 96 sections, each inside the file).
bool ReadPeLayout(const package::BoundedReader& image, PeLayout* layout, std::string* problem);

// The bytes a section maps from the file: the lesser of its raw and virtual size.
uint32_t MappedSize(const PeSection& section);

// The file offset of `rva`, for `size` bytes that must lie in one section's
// mapped bytes; false otherwise.
bool FileOffsetOf(const PeLayout& layout, uint32_t rva, uint32_t size, uint32_t* offset);

}  // namespace saverpack
