#include "pe/resource_writer.h"

#include <algorithm>

namespace saverpack {

namespace {

constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
constexpr size_t kDataAlignment = 8;
constexpr uint32_t kHighBit = 0x80000000u;

struct NameNode {
    ResourceKey name;
    std::vector<const ResourceEntry*> languages;
};

struct TypeNode {
    ResourceKey type;
    std::vector<NameNode> names;
};

size_t AlignUp(size_t value, size_t alignment)
{
    return (value + alignment - 1) & ~(alignment - 1);
}

void PutU16(Bytes& bytes, size_t at, uint16_t value)
{
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

void PutU32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = uint8_t(value >> (8 * i));
}

// The loader upper-cases the name it looks for before its binary search.
void UpperCase(ResourceKey* key)
{
    for (char16_t& c : key->name) {
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
    }
}

bool EntryBefore(const ResourceEntry& a, const ResourceEntry& b)
{
    if (!(a.type == b.type))
        return KeyBefore(a.type, b.type);
    if (!(a.name == b.name))
        return KeyBefore(a.name, b.name);
    return a.language < b.language;
}

// Sizes and places every part, then writes it; the layout pass and the
// writing pass walk the nodes in the same order.
class SectionLayout {
public:
    explicit SectionLayout(const std::vector<TypeNode>& types) : types_(types) {}

    bool Build(uint32_t sectionRva, Bytes* section, std::string* problem)
    {
        size_t offset = Directory(types_.size());
        for (const TypeNode& type : types_) {
            typeDirectories_.push_back(offset);
            offset += Directory(type.names.size());
        }
        for (const TypeNode& type : types_) {
            for (const NameNode& name : type.names) {
                nameDirectories_.push_back(offset);
                offset += Directory(name.languages.size());
            }
        }
        size_t entryCount = 0;
        for (const TypeNode& type : types_)
            for (const NameNode& name : type.names)
                entryCount += name.languages.size();
        dataEntries_ = offset;
        offset += kDataEntrySize * entryCount;
        for (const TypeNode& type : types_) {
            offset = PlaceString(type.type, offset);
            for (const NameNode& name : type.names)
                offset = PlaceString(name.name, offset);
        }
        for (const TypeNode& type : types_) {
            for (const NameNode& name : type.names) {
                for (const ResourceEntry* entry : name.languages) {
                    offset = AlignUp(offset, kDataAlignment);
                    data_.push_back(offset);
                    offset += entry->data.size();
                }
            }
        }
        if (offset > size_t(UINT32_MAX - sectionRva)) {
            *problem = "the resources would be larger than 4 GiB";
            return false;
        }
        section->assign(AlignUp(offset, 4), 0);
        Write(uint32_t(sectionRva), *section);
        return true;
    }

private:
    static size_t Directory(size_t entries) { return kDirectoryHeaderSize + kDirectoryEntrySize * entries; }

    size_t PlaceString(const ResourceKey& key, size_t offset)
    {
        if (!key.named)
            return offset;
        strings_.push_back(offset);
        return offset + 2 + 2 * key.name.size();
    }

    // A directory's header (no characteristics, time stamp or version) and the
    // counts of its named and numbered entries, which are already sorted.
    template <typename Node, typename KeyOf>
    static void WriteHeader(Bytes& out, size_t at, const std::vector<Node>& nodes, KeyOf keyOf)
    {
        uint16_t named = 0;
        for (const Node& node : nodes)
            named = uint16_t(named + (keyOf(node).named ? 1 : 0));
        PutU16(out, at + 12, named);
        PutU16(out, at + 14, uint16_t(nodes.size() - named));
    }

    uint32_t KeyField(Bytes& out, const ResourceKey& key)
    {
        if (!key.named)
            return key.id;
        size_t at = strings_[nextString_++];
        PutU16(out, at, uint16_t(key.name.size()));
        for (size_t i = 0; i < key.name.size(); ++i)
            PutU16(out, at + 2 + 2 * i, uint16_t(key.name[i]));
        return kHighBit | uint32_t(at);
    }

    void Write(uint32_t sectionRva, Bytes& out)
    {
        WriteHeader(out, 0, types_, [](const TypeNode& node) -> const ResourceKey& { return node.type; });
        size_t nameIndex = 0, entryIndex = 0;
        for (size_t t = 0; t < types_.size(); ++t) {
            const TypeNode& type = types_[t];
            size_t at = kDirectoryHeaderSize + kDirectoryEntrySize * t;
            PutU32(out, at, KeyField(out, type.type));
            PutU32(out, at + 4, kHighBit | uint32_t(typeDirectories_[t]));
            WriteHeader(out, typeDirectories_[t], type.names,
                        [](const NameNode& node) -> const ResourceKey& { return node.name; });
            for (size_t n = 0; n < type.names.size(); ++n, ++nameIndex) {
                const NameNode& name = type.names[n];
                size_t nameAt = typeDirectories_[t] + kDirectoryHeaderSize + kDirectoryEntrySize * n;
                PutU32(out, nameAt, KeyField(out, name.name));
                PutU32(out, nameAt + 4, kHighBit | uint32_t(nameDirectories_[nameIndex]));
                size_t languages = nameDirectories_[nameIndex];
                PutU16(out, languages + 14, uint16_t(name.languages.size()));
                for (size_t l = 0; l < name.languages.size(); ++l, ++entryIndex) {
                    const ResourceEntry& entry = *name.languages[l];
                    size_t languageAt = languages + kDirectoryHeaderSize + kDirectoryEntrySize * l;
                    size_t dataEntry = dataEntries_ + kDataEntrySize * entryIndex;
                    PutU32(out, languageAt, entry.language);
                    PutU32(out, languageAt + 4, uint32_t(dataEntry));
                    PutU32(out, dataEntry, sectionRva + uint32_t(data_[entryIndex]));
                    PutU32(out, dataEntry + 4, uint32_t(entry.data.size()));
                    PutU32(out, dataEntry + 8, entry.codePage);
                    std::copy(entry.data.begin(), entry.data.end(), out.begin() + long(data_[entryIndex]));
                }
            }
        }
    }

    const std::vector<TypeNode>& types_;
    std::vector<size_t> typeDirectories_, nameDirectories_, strings_, data_;
    size_t dataEntries_ = 0;
    size_t nextString_ = 0;
};

}  // namespace

bool BuildResourceSection(std::vector<ResourceEntry> entries, uint32_t sectionRva, Bytes* section,
                          std::string* problem)
{
    for (ResourceEntry& entry : entries) {
        UpperCase(&entry.type);
        UpperCase(&entry.name);
    }
    std::sort(entries.begin(), entries.end(), EntryBefore);
    std::vector<TypeNode> types;
    for (const ResourceEntry& entry : entries) {
        if (types.empty() || !(types.back().type == entry.type))
            types.push_back({entry.type, {}});
        std::vector<NameNode>& names = types.back().names;
        if (names.empty() || !(names.back().name == entry.name))
            names.push_back({entry.name, {}});
        std::vector<const ResourceEntry*>& languages = names.back().languages;
        if (!languages.empty() && languages.back()->language == entry.language) {
            *problem = "two resources have the same type, name and language";
            return false;
        }
        languages.push_back(&entry);
        if (types.size() > 0xFFFF || names.size() > 0xFFFF || languages.size() > 0xFFFF) {
            *problem = "too many resources for one directory";
            return false;
        }
    }
    return SectionLayout(types).Build(sectionRva, section, problem);
}

}  // namespace saverpack
