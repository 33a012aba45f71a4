// Writes a resource section: the directory tree of types, names and languages,
// then the data entries, the names and the data. Laid out breadth-first as
// resource compilers do, every entry sorted as the loader's binary search
// needs (names, in upper case, before numbers), every time stamp 0, so the same
// entries always give the same bytes.
#pragma once

#include "pe/resource_tree.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

// The section's bytes for `entries` (their type, name, language, code page and
// data), when it is mapped at `sectionRva`. False with why when two entries
// have the same type, name and language, or it would not fit 32 bits.
bool BuildResourceSection(std::vector<ResourceEntry> entries, uint32_t sectionRva, Bytes* section,
                          std::string* problem);

}  // namespace saverpack
