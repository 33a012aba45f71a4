#include "pe/installer_image.h"

#include "pe/resource_writer.h"

#include "res/resource_ids.h"

#include <algorithm>
#include <set>

namespace saverpack {

namespace {

constexpr uint16_t kVersionName = 1;
constexpr uint16_t kUsEnglish = 0x0409;
constexpr uint32_t kInitializedData = 0x00000040;  // IMAGE_SCN_CNT_INITIALIZED_DATA
constexpr uint32_t kCheckSumField = 64;             // in the optional header
// Base relocation blocks: page RVA, block size, then 16-bit entries whose top
// 4 bits are the type (0 pads a block) and the rest the offset in the page.
constexpr uint32_t kRelocationBlockHeader = 8;
constexpr uint32_t kLargestFixup = 8;  // IMAGE_REL_BASED_DIR64

uint64_t AlignUp(uint64_t value, uint32_t alignment)
{
    return (value + alignment - 1) & ~uint64_t(alignment - 1);
}

uint32_t GetU32(const Bytes& bytes, uint32_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

void SetU32(Bytes& bytes, uint32_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = uint8_t(value >> (8 * i));
}

// True when every fixup of the relocation data lies below `limit`, the
// resource section's address: then moving the sections from there on changes
// no fixup and no byte they patch.
bool FixupsBelow(const Bytes& stub, const PeLayout& layout, uint32_t limit)
{
    const PeDirectory directory = layout.Directory(kRelocationDirectory);
    uint32_t offset = 0;
    if (directory.size == 0)
        return true;
    if (!FileOffsetOf(layout, directory.rva, directory.size, &offset))
        return false;
    for (uint32_t at = 0; at + kRelocationBlockHeader <= directory.size;) {
        const uint32_t page = GetU32(stub, offset + at), blockSize = GetU32(stub, offset + at + 4);
        if (blockSize < kRelocationBlockHeader || blockSize > directory.size - at)
            return false;
        for (uint32_t e = kRelocationBlockHeader; e + 2 <= blockSize; e += 2) {
            const uint16_t fixup = uint16_t(stub[offset + at + e] | stub[offset + at + e + 1] << 8);
            if ((fixup >> 12) != 0 && uint64_t(page) + (fixup & 0xFFF) + kLargestFixup > limit)
                return false;
        }
        at += blockSize;
    }
    return true;
}

// Where the rewrite may happen: the resource section is the last section, or
// the last but the relocation section, and nothing but directories 2 and 5
// (and the certificate table's file offset) points at them.
bool CheckTail(const Bytes& stub, const PeLayout& layout, size_t* resources, std::string* problem)
{
    const PeDirectory resourceDirectory = layout.Directory(kResourceDirectory);
    const PeDirectory relocations = layout.Directory(kRelocationDirectory);
    const std::vector<PeSection>& sections = layout.sections;
    auto found = std::find_if(sections.begin(), sections.end(), [&](const PeSection& section) {
        return section.virtualAddress == resourceDirectory.rva;
    });
    if (found == sections.end()) {
        *problem = "its resource directory does not begin a section";
        return false;
    }
    *resources = size_t(found - sections.begin());
    const size_t last = sections.size() - 1;
    const bool relocationsLast = *resources + 1 == last && relocations.size != 0 &&
                                 sections[last].virtualAddress == relocations.rva &&
                                 sections[last].rawOffset == found->rawOffset + found->rawSize;
    if (*resources != last && !relocationsLast) {
        *problem = "its resource section is followed by sections other than its relocations";
        return false;
    }
    // Everything before the resources in memory is before them in the file
    // too, headers included: it is copied as it is.
    if (sections[last].entryOffset + 40 > found->rawOffset) {
        *problem = "its section table overlaps its resources";
        return false;
    }
    for (size_t i = 0; i < *resources; ++i) {
        const PeSection& section = sections[i];
        const uint32_t size = std::max(section.virtualSize, section.rawSize);
        if ((section.rawSize != 0 && section.rawOffset + section.rawSize > found->rawOffset) ||
            uint64_t(section.virtualAddress) + size > found->virtualAddress) {
            *problem = "section " + std::to_string(i + 1) + " lies behind its resources";
            return false;
        }
    }
    for (uint32_t i = 0; i < layout.directories.size(); ++i) {
        const PeDirectory directory = layout.directories[i];
        if (i != kResourceDirectory && i != kRelocationDirectory && i != kCertificateDirectory &&
            directory.rva != 0 && uint64_t(directory.rva) + directory.size > found->virtualAddress) {
            *problem = "its data directory " + std::to_string(i) + " points into or past its resources";
            return false;
        }
    }
    if (!FixupsBelow(stub, layout, found->virtualAddress)) {
        *problem = "its relocations are damaged or patch its resources";
        return false;
    }
    return true;
}

// The ids of the images that the icon group lists.
std::set<uint16_t> GroupImageIds(const Bytes& group)
{
    std::set<uint16_t> ids;
    const size_t count = group.size() >= 6 ? size_t(group[4] | group[5] << 8) : 0;
    for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= group.size(); ++i)
        ids.insert(uint16_t(group[6 + 14 * i + 12] | group[6 + 14 * i + 13] << 8));
    return ids;
}

// The stub's resources with the new icon images in place of the stub's own, the
// group keeping its id and language, and the version information in place of
// any the stub had.
bool NewEntries(std::vector<ResourceEntry> entries, const InstallerResources& resources,
                std::vector<ResourceEntry>* result, std::string* problem)
{
    auto group = std::find_if(entries.begin(), entries.end(), [](const ResourceEntry& entry) {
        return entry.type.Is(kTypeGroupIcon) && entry.name.Is(IDI_INSTALLER);
    });
    if (group == entries.end()) {
        *problem = "it has no icon " + std::to_string(IDI_INSTALLER) + ", which its window shows";
        return false;
    }
    const std::set<uint16_t> replaced = resources.icon != nullptr ? GroupImageIds(group->data) : std::set<uint16_t>();
    std::set<uint16_t> used;
    result->clear();
    for (const ResourceEntry& entry : entries) {
        if (entry.type.Is(kTypeVersion) || (entry.type.Is(kTypeIcon) && !entry.name.named &&
                                             replaced.count(entry.name.id) != 0))
            continue;
        if (entry.type.Is(kTypeIcon) && !entry.name.named)
            used.insert(entry.name.id);
        result->push_back(entry);
    }
    if (resources.icon != nullptr) {
        // The first run of free ids that holds every image.
        const uint16_t count = uint16_t(resources.icon->images.size());
        uint16_t first = 1;
        while (std::any_of(used.begin(), used.end(), [&](uint16_t id) { return id >= first && id - first < count; }))
            ++first;
        for (ResourceEntry& entry : *result) {
            if (entry.type.Is(kTypeGroupIcon) && entry.name.Is(IDI_INSTALLER))
                entry.data = GroupIconDirectory(*resources.icon, first);
        }
        for (uint16_t i = 0; i < count; ++i) {
            ResourceEntry image;
            image.type = ResourceKey::Id(kTypeIcon);
            image.name = ResourceKey::Id(uint16_t(first + i));
            image.language = group->language;
            image.data = resources.icon->images[i].data;
            result->push_back(std::move(image));
        }
    }
    ResourceEntry version;
    version.type = ResourceKey::Id(kTypeVersion);
    version.name = ResourceKey::Id(kVersionName);
    version.language = kUsEnglish;
    version.data = resources.versionInfo;
    result->push_back(std::move(version));
    return true;
}

}  // namespace

bool RewriteStubResources(const Bytes& stub, const InstallerResources& resources, Bytes* image, bool* rewritten,
                          std::string* problem)
{
    *rewritten = false;
    const auto bytes = package::BoundedReader::OverMemory(stub.data(), uint32_t(stub.size()));
    PeLayout layout;
    std::string notPe;
    if (stub.size() > UINT32_MAX || !ReadPeLayout(bytes, &layout, &notPe) ||
        layout.Directory(kResourceDirectory).rva == 0) {
        *image = stub;
        return true;
    }
    size_t index = 0;
    std::vector<ResourceEntry> entries, written;
    if (!CheckTail(stub, layout, &index, problem) || !ReadResourceTree(bytes, layout, &entries, problem))
        return false;
    const PeSection old = layout.sections[index];
    for (ResourceEntry& entry : entries) {
        if (!ReadResourceData(bytes, layout, old.rawSize, &entry, problem))
            return false;
    }
    Bytes section;
    if (!NewEntries(entries, resources, &written, problem) ||
        !BuildResourceSection(written, old.virtualAddress, &section, problem))
        return false;

    // The sections before the resources stay byte for byte; the overlay, if
    // any, follows the last section as before. (`image` may be `stub` itself.)
    Bytes out;
    const uint32_t rawSize = uint32_t(AlignUp(section.size(), layout.fileAlignment));
    uint32_t end = 0;
    for (const PeSection& s : layout.sections) {
        if (s.rawSize != 0)
            end = std::max(end, s.rawOffset + s.rawSize);
    }
    out.assign(stub.begin(), stub.begin() + old.rawOffset);
    out.insert(out.end(), section.begin(), section.end());
    out.resize(size_t(old.rawOffset) + rawSize, 0);
    uint64_t imageEnd = AlignUp(uint64_t(old.virtualAddress) + section.size(), layout.sectionAlignment);
    SetU32(out, old.entryOffset + 8, uint32_t(section.size()));
    SetU32(out, old.entryOffset + 16, rawSize);
    SetU32(out, layout.directoriesOffset + 8 * kResourceDirectory + 4, uint32_t(section.size()));
    if (index + 1 < layout.sections.size()) {
        const PeSection& relocations = layout.sections[index + 1];
        out.insert(out.end(), stub.begin() + relocations.rawOffset,
                   stub.begin() + relocations.rawOffset + relocations.rawSize);
        SetU32(out, relocations.entryOffset + 12, uint32_t(imageEnd));
        SetU32(out, relocations.entryOffset + 20, old.rawOffset + rawSize);
        SetU32(out, layout.directoriesOffset + 8 * kRelocationDirectory, uint32_t(imageEnd));
        const uint32_t size = relocations.virtualSize != 0 ? relocations.virtualSize : relocations.rawSize;
        imageEnd = AlignUp(imageEnd + size, layout.sectionAlignment);
    }
    out.insert(out.end(), stub.begin() + end, stub.end());
    if (imageEnd > UINT32_MAX || out.size() > UINT32_MAX) {
        *problem = "its image would be larger than 4 GiB";
        return false;
    }
    SetU32(out, layout.optionalHeader + PeLayout::kSizeOfImage, uint32_t(imageEnd));
    if ((old.characteristics & kInitializedData) != 0) {
        const uint32_t at = layout.optionalHeader + PeLayout::kSizeOfInitializedData;
        SetU32(out, at, GetU32(out, at) - old.rawSize + rawSize);
    }
    SetU32(out, layout.optionalHeader + kCheckSumField, 0);
    *image = std::move(out);
    *rewritten = true;
    return true;
}

}  // namespace saverpack
