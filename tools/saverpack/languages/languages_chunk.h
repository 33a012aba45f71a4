// The translations chunk's content ("ilng", package_format.h): what saverpack
// deflates into it, and its reading back for inspect and for build's check of
// its own output.
#pragma once

#include "languages/language_file.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

// The inflated content for `languages`, in their order.
std::vector<uint8_t> EncodeLanguages(const std::vector<Language>& languages);

// Reads inflated content back: tags, flags, LANGIDs, plural tables and texts
// (names stay empty; the chunk does not carry them). False with the first
// structural fault: a length or count that runs past its end, or a LANGID count
// out of its range. Bytes after a record's texts or after the last record are
// skipped: a record's length leaves room for fields added later.
bool DecodeLanguages(const std::vector<uint8_t>& content, std::vector<Language>* languages, std::string* problem);

// The languages an installer speaks, for build's and inspect's reports:
// "en (built in), de, fr" from the content of its chunk (empty for none).
std::string DescribeLanguages(const std::vector<uint8_t>& content);

}  // namespace saverpack
