// A language file: the installer's texts in one language, as a translator
// writes them (see en.lang beside this file and the README). UTF-8, a BOM and
// CRLF line ends accepted as Notepad writes them; "key = text" lines, "#"
// comments, the escapes \n and \\ only. Reading one checks everything the stub
// relies on, so a file that reads is a translation the installer can show.
#pragma once

#include "languages/plural_rules.h"

#include "package/messages.h"
#include "package/package_format.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

struct LanguageText {
    package::MessageId id;
    package::PluralForm form;  // kPluralOther for a text without a count
    std::string text;          // UTF-8, escapes resolved: "\n" is one line feed
};

struct Language {
    std::string tag;  // "de", "pt-BR", "sr-Latn"
    std::vector<uint16_t> langids;
    std::string name;        // in English
    std::string nativeName;  // in the language itself
    bool rightToLeft = false;
    PluralTable plurals = {};
    std::vector<LanguageText> texts;  // in id order, a text's forms in form order
};

constexpr size_t kMaxTagLength = 32;

// Reads the bytes of a language file called `name` in messages. False with
// every problem found, in the file's order, each as "NAME:LINE: KEY: why", or
// "NAME: KEY: why" for a key that is missing altogether.
bool ReadLanguageFile(const std::string& name, const std::string& bytes, Language* language,
                      std::vector<std::string>* problems);

// True for the same tag in any case ("pt-br" and "pt-BR").
bool SameTag(const std::string& a, const std::string& b);

}  // namespace saverpack
