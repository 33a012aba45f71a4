// The languages saverpack carries: the files of translations/, embedded when
// saverpack is built (embed_languages.cmake), each named <tag>.lang.
#pragma once

#include "languages/language_file.h"

#include <stddef.h>
#include <string>
#include <vector>

namespace saverpack {

struct BuiltInLanguageFile {
    const char* fileName;  // "de.lang"
    const char* bytes;
    size_t size;
};

// In the order of their file names; generated.
extern const BuiltInLanguageFile kBuiltInLanguageFiles[];
extern const size_t kBuiltInLanguageFileCount;

// The language tag a built-in file is named after ("de" for "de.lang").
std::string BuiltInTag(const BuiltInLanguageFile& file);

// The built-in file of `tag` in any case, or null.
const BuiltInLanguageFile* FindBuiltInLanguage(const std::string& tag);

// Reads a built-in file as a language file; false with its problems.
bool ReadBuiltInLanguage(const BuiltInLanguageFile& file, Language* language, std::vector<std::string>* problems);

}  // namespace saverpack
