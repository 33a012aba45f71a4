// Which translations `saverpack build` puts into the installer: the built-in
// languages --languages names and the files --language-file gives.
#pragma once

#include "commands/options.h"
#include "languages/language_file.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

// `option` is --languages' value: "all" (the default), "none",
// or built-in tags joined by ",". The built-in English is never chosen (the
// stub carries it); each of `files` adds its language or replaces the built-in
// one of the same tag, English included. False with every problem found, one a
// line: a tag saverpack does not carry, a file that does not read, two files of
// one language, a LANGID two languages claim (the installer could not choose).
bool ChooseLanguages(const std::string& option, const std::vector<std::string>& files, std::vector<Language>* chosen,
                     std::vector<std::string>* problems);

// `saverpack build`'s --languages and --language-file as the translations
// chunk's inflated content (empty when there is nothing to add to English).
// False with every problem, one a line.
bool LanguagesForBuild(const CommandLine& line, std::vector<uint8_t>* content, std::string* error);

// Empty when the installer at `path` carries exactly `content` in its
// translations chunk (or no chunk for no content); else what differs.
std::string CheckWrittenLanguages(const std::string& path, const std::vector<uint8_t>& content);

}  // namespace saverpack
