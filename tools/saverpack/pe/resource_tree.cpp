#include "pe/resource_tree.h"

#include <set>

namespace saverpack {

namespace {

constexpr uint32_t kDirectoryHeaderSize = 16;  // IMAGE_RESOURCE_DIRECTORY
constexpr uint32_t kDirectoryEntrySize = 8;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr int kLevels = 3;  // type, name, language
// Far more than any program has: bounds on the work and memory a hostile file
// can ask for.
constexpr size_t kMaxEntries = 16384;
constexpr uint16_t kMaxNameLength = 256;
constexpr uint16_t kNeutral = 0x0000;
constexpr uint16_t kUsEnglish = 0x0409;

// The walk of one resource directory tree. Offsets in the tree count from its
// root, which lies in the section that holds data directory 2; every one of
// them must stay inside that section's bytes.
class TreeWalk {
public:
    TreeWalk(const package::BoundedReader& image, uint32_t rootOffset, uint32_t treeSize)
        : image_(image), root_(rootOffset), size_(treeSize)
    {
    }

    bool Walk(std::vector<ResourceEntry>* entries, std::string* problem)
    {
        ResourceEntry path;
        return Directory(0, 0, &path, entries, problem);
    }

private:
    bool Read(uint32_t offset, uint32_t count, void* buffer) const
    {
        return offset <= size_ && count <= size_ - offset && image_.ReadAt(root_ + offset, buffer, count);
    }
    bool ReadU16(uint32_t offset, uint16_t* value) const
    {
        uint8_t b[2];
        if (!Read(offset, 2, b))
            return false;
        *value = uint16_t(b[0] | b[1] << 8);
        return true;
    }
    bool ReadU32(uint32_t offset, uint32_t* value) const
    {
        uint8_t b[4];
        if (!Read(offset, 4, b))
            return false;
        *value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    // Every directory, entry and string is taken once: a tree whose parts
    // overlap or point back is damaged, and would otherwise multiply the work.
    bool FirstVisit(uint32_t offset) { return visited_.insert(offset).second; }

    bool Key(uint32_t field, ResourceKey* key, std::string* problem)
    {
        key->named = (field & kHighBit) != 0;
        key->name.clear();
        key->id = key->named ? 0 : uint16_t(field);
        if (!key->named)
            return true;
        uint32_t at = field & ~kHighBit;
        uint16_t length = 0;
        if (!ReadU16(at, &length) || length > kMaxNameLength) {
            *problem = "a resource name lies outside the resource section or is over 256 characters long";
            return false;
        }
        Bytes text(size_t(length) * 2);
        if (!Read(at + 2, uint32_t(text.size()), text.data())) {
            *problem = "a resource name runs past the resource section";
            return false;
        }
        for (size_t i = 0; i < length; ++i)
            key->name += char16_t(text[2 * i] | text[2 * i + 1] << 8);
        return true;
    }

    bool Directory(uint32_t offset, int level, ResourceEntry* path, std::vector<ResourceEntry>* entries,
                   std::string* problem)
    {
        uint16_t named = 0, numbered = 0;
        if (!FirstVisit(offset) || !ReadU16(offset + 12, &named) || !ReadU16(offset + 14, &numbered)) {
            *problem = "a resource directory lies outside the resource section or is visited twice";
            return false;
        }
        for (uint32_t i = 0; i < uint32_t(named) + numbered; ++i) {
            const uint32_t at = offset + kDirectoryHeaderSize + i * kDirectoryEntrySize;
            uint32_t nameField = 0, target = 0;
            if (entries->size() >= kMaxEntries || !FirstVisit(at) || !ReadU32(at, &nameField) ||
                !ReadU32(at + 4, &target)) {
                *problem = "the resource directory has too many entries, or entries outside its section";
                return false;
            }
            ResourceKey key;
            if (!Key(nameField, &key, problem))
                return false;
            const bool subdirectory = (target & kHighBit) != 0;
            if (subdirectory != (level + 1 < kLevels)) {
                *problem = "the resource directory is not three levels deep";
                return false;
            }
            if (level == 0)
                path->type = key;
            else if (level == 1)
                path->name = key;
            else
                path->language = key.named ? 0xFFFF : key.id;
            if (subdirectory) {
                if (!Directory(target & ~kHighBit, level + 1, path, entries, problem))
                    return false;
                continue;
            }
            if (!FirstVisit(target) || !ReadU32(target, &path->dataRva) || !ReadU32(target + 4, &path->size) ||
                !ReadU32(target + 8, &path->codePage)) {
                *problem = "a resource's data entry lies outside the resource section or is visited twice";
                return false;
            }
            entries->push_back(*path);
        }
        return true;
    }

    const package::BoundedReader& image_;
    uint32_t root_;
    uint32_t size_;
    std::set<uint32_t> visited_;
};

}  // namespace

bool KeyBefore(const ResourceKey& a, const ResourceKey& b)
{
    if (a.named != b.named)
        return a.named;
    return a.named ? a.name < b.name : a.id < b.id;
}

bool ReadResourceTree(const package::BoundedReader& image, const PeLayout& layout, std::vector<ResourceEntry>* entries,
                      std::string* problem)
{
    entries->clear();
    const PeDirectory directory = layout.Directory(kResourceDirectory);
    if (directory.rva == 0 && directory.size == 0)
        return true;
    const PeSection* section = layout.SectionHolding(directory.rva, kDirectoryHeaderSize);
    if (section == nullptr) {
        *problem = "its resource directory lies outside its sections";
        return false;
    }
    // The tree may use the rest of its section, whatever the directory's size says.
    const uint32_t skipped = directory.rva - section->virtualAddress;
    TreeWalk walk(image, section->rawOffset + skipped, MappedSize(*section) - skipped);
    return walk.Walk(entries, problem);
}

bool ReadResourceData(const package::BoundedReader& image, const PeLayout& layout, uint32_t limit,
                      ResourceEntry* entry, std::string* problem)
{
    uint32_t offset = 0;
    if (entry->size > limit) {
        *problem = "a resource of " + std::to_string(entry->size) + " bytes is larger than the " +
                   std::to_string(limit) + " taken";
        return false;
    }
    if (!FileOffsetOf(layout, entry->dataRva, entry->size, &offset)) {
        *problem = "a resource's data lies outside its sections";
        return false;
    }
    entry->data.resize(entry->size);
    if (!image.ReadAt(offset, entry->data.data(), entry->size)) {
        *problem = "a resource's data cannot be read";
        return false;
    }
    return true;
}

const ResourceEntry* FindResource(const std::vector<ResourceEntry>& entries, const ResourceKey& type,
                                  const ResourceKey& name)
{
    const ResourceEntry* first = nullptr;
    const ResourceEntry* english = nullptr;
    for (const ResourceEntry& entry : entries) {
        if (!(entry.type == type) || !(entry.name == name))
            continue;
        if (entry.language == kNeutral)
            return &entry;
        if (entry.language == kUsEnglish && english == nullptr)
            english = &entry;
        if (first == nullptr)
            first = &entry;
    }
    return english != nullptr ? english : first;
}

const ResourceEntry* FirstOfType(const std::vector<ResourceEntry>& entries, uint16_t type)
{
    for (const ResourceEntry& entry : entries) {
        if (entry.type.Is(type))
            return FindResource(entries, entry.type, entry.name);
    }
    return nullptr;
}

}  // namespace saverpack
