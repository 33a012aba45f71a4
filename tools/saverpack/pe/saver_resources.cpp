#include "pe/saver_resources.h"

#include "pe/utf16_text.h"

#include "package/scoped_handles.h"

namespace saverpack {

namespace {

// A string block holds 16 strings; the version resource measures itself in 16 bits.
constexpr uint32_t kMaxStringBlock = 128 * 1024;
constexpr uint32_t kMaxVersionResource = 64 * 1024;
constexpr uint16_t kDisplayNameBlock = 1;  // string 1 is the second of block 1 (strings 0 to 15)
constexpr uint16_t kDisplayNameIndex = 1;

void Note(SaverResources* facts, const std::string& what, const std::string& problem)
{
    if (facts->problem.empty())
        facts->problem = what + ": " + problem;
}

// Entry `index` of a string block: each entry a 16-bit length and as many UTF-16 units.
bool BlockString(const Bytes& block, uint16_t index, std::string* text)
{
    size_t at = 0;
    for (uint16_t i = 0;; ++i) {
        if (at + 2 > block.size())
            return false;
        const size_t length = size_t(block[at] | block[at + 1] << 8);
        if (length * 2 > block.size() - at - 2)
            return false;
        if (i == index) {
            std::u16string units;
            for (size_t k = 0; k < length; ++k)
                units += char16_t(block[at + 2 + 2 * k] | block[at + 3 + 2 * k] << 8);
            return Utf8FromUtf16(units, text);
        }
        at += 2 + length * 2;
    }
}

void ReadDisplayName(const package::BoundedReader& saver, const PeLayout& layout,
                     const std::vector<ResourceEntry>& entries, SaverResources* facts)
{
    const ResourceEntry* found =
        FindResource(entries, ResourceKey::Id(kTypeString), ResourceKey::Id(kDisplayNameBlock));
    if (found == nullptr)
        return;
    ResourceEntry block = *found;
    std::string problem;
    if (!ReadResourceData(saver, layout, kMaxStringBlock, &block, &problem))
        Note(facts, "its string 1", problem);
    else if (!BlockString(block.data, kDisplayNameIndex, &facts->displayName))
        Note(facts, "its string 1", "the string block is damaged");
}

void ReadVersion(const package::BoundedReader& saver, const PeLayout& layout,
                 const std::vector<ResourceEntry>& entries, SaverResources* facts)
{
    const ResourceEntry* found = FirstOfType(entries, kTypeVersion);
    if (found == nullptr)
        return;
    ResourceEntry version = *found;
    std::string problem;
    facts->hasVersion = ReadResourceData(saver, layout, kMaxVersionResource, &version, &problem) &&
                        ParseVersionInfo(version.data, &facts->version, &problem);
    if (!facts->hasVersion)
        Note(facts, "its version information", problem);
}

void ReadIcon(const package::BoundedReader& saver, const PeLayout& layout, const std::vector<ResourceEntry>& entries,
              SaverResources* facts)
{
    const ResourceEntry* group = FirstOfType(entries, kTypeGroupIcon);
    if (group == nullptr)
        return;
    std::string problem;
    facts->hasIcon = ReadIconResources(saver, layout, entries, *group, &facts->icon, &problem);
    if (!facts->hasIcon) {
        facts->icon = IconGroup();
        Note(facts, "its icon", problem);
    }
}

}  // namespace

SaverResources ReadSaverResources(const package::BoundedReader& saver)
{
    SaverResources facts;
    PeLayout layout;
    std::vector<ResourceEntry> entries;
    std::string problem;
    if (!ReadPeLayout(saver, &layout, &problem) || !ReadResourceTree(saver, layout, &entries, &problem)) {
        facts.problem = problem;
        return facts;
    }
    ReadDisplayName(saver, layout, entries, &facts);
    ReadVersion(saver, layout, entries, &facts);
    ReadIcon(saver, layout, entries, &facts);
    return facts;
}

}  // namespace saverpack
