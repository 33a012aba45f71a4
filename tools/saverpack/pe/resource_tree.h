// A PE image's resources as a flat list: each entry its type, name and
// language, and where its data lies. Read from the resource directory's three
// levels with bounded reads: the directory is at most 3 deep, no directory or
// entry is visited twice, and every address lies inside its section's bytes.
#pragma once

#include "pe/pe_layout.h"

#include "package/bounded_reader.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

using Bytes = std::vector<uint8_t>;

// Resource types by number (RT_...).
constexpr uint16_t kTypeCursor = 1;
constexpr uint16_t kTypeIcon = 3;
constexpr uint16_t kTypeString = 6;
constexpr uint16_t kTypeGroupIcon = 14;
constexpr uint16_t kTypeVersion = 16;

// A type or a name: a number, or a string (UTF-16, as stored).
struct ResourceKey {
    bool named = false;
    uint16_t id = 0;
    std::u16string name;

    static ResourceKey Id(uint16_t id) { return {false, id, {}}; }
    bool Is(uint16_t number) const { return !named && id == number; }
    bool operator==(const ResourceKey& other) const
    {
        return named == other.named && id == other.id && name == other.name;
    }
};

// The order the loader's binary search needs: names before numbers, names by
// their UTF-16 code units (a name before any longer one it begins), numbers
// ascending.
bool KeyBefore(const ResourceKey& a, const ResourceKey& b);

struct ResourceEntry {
    ResourceKey type;
    ResourceKey name;
    uint16_t language = 0;
    uint32_t dataRva = 0;
    uint32_t size = 0;
    uint32_t codePage = 0;
    Bytes data;  // filled by ReadResourceData, or given to the writer
};

// Every entry in directory order. False, with why, when the image has resources
// that cannot be read; true with no entries when it has none.
bool ReadResourceTree(const package::BoundedReader& image, const PeLayout& layout, std::vector<ResourceEntry>* entries,
                      std::string* problem);

// Reads the entry's data into entry->data, when it holds at most `limit` bytes
// and lies inside one section's bytes.
bool ReadResourceData(const package::BoundedReader& image, const PeLayout& layout, uint32_t limit,
                      ResourceEntry* entry, std::string* problem);

// The entry of `type` and `name` in the language the loader would prefer for
// a program that names none: neutral, else US English, else the first there
// is. Null when there is no such entry.
const ResourceEntry* FindResource(const std::vector<ResourceEntry>& entries, const ResourceKey& type,
                                  const ResourceKey& name);

// The first entry of `type` in directory order (its first name), in the
// language FindResource prefers.
const ResourceEntry* FirstOfType(const std::vector<ResourceEntry>& entries, uint16_t type);

}  // namespace saverpack
