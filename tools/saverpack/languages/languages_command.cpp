// `saverpack languages`: the built-in languages, one a line, and with --print
// one of their files, a translator's starting point.
#include "commands/cli.h"
#include "commands/options.h"
#include "languages/builtin_languages.h"

#include <algorithm>
#include <stdio.h>

namespace saverpack {

namespace {

std::string LangidList(const Language& language)
{
    std::string list;
    for (uint16_t langid : language.langids) {
        char hex[8];
        snprintf(hex, sizeof hex, "%04X", unsigned(langid));
        list += (list.empty() ? "" : " ") + std::string(hex);
    }
    return list;
}

// Characters, not bytes: an English name may hold one such as "å".
size_t Characters(const std::string& utf8)
{
    size_t count = 0;
    for (unsigned char c : utf8)
        count += (c & 0xC0) != 0x80;
    return count;
}

std::string Padded(const std::string& text, size_t width)
{
    return text + std::string(width > Characters(text) ? width - Characters(text) : 0, ' ');
}

}  // namespace

int RunLanguages(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CommandLine line;
    std::string error;
    if (!ScanArguments(argc, argv, 2, {"--print"}, {"--help"}, &line, &error))
        return UsageError(err, "languages", error, kLanguagesUsage);
    if (line.Has("--help")) {
        out << kLanguagesUsage;
        return kExitSuccess;
    }
    if (!line.positional.empty())
        return UsageError(err, "languages", "unexpected argument \"" + line.positional.front() + "\"",
                          kLanguagesUsage);
    if (line.Has("--print")) {
        const BuiltInLanguageFile* file = FindBuiltInLanguage(line.Value("--print"));
        if (file == nullptr)
            return Fail(err, "\"" + line.Value("--print") +
                                 "\" is not a built-in language; `saverpack languages` lists them");
        out.write(file->bytes, std::streamsize(file->size));
        return kExitSuccess;
    }

    std::vector<Language> languages;
    for (size_t i = 0; i < kBuiltInLanguageFileCount; ++i) {
        Language language;
        std::vector<std::string> problems;
        if (!ReadBuiltInLanguage(kBuiltInLanguageFiles[i], &language, &problems))
            return Fail(err, "internal error: " + problems.front());
        languages.push_back(language);
    }
    // The tags, LANGIDs and English names are in Latin letters of one width each,
    // so padding them aligns the columns; the native names, in any script, come
    // last but for "rtl".
    size_t tagWidth = 0, idsWidth = 0, nameWidth = 0;
    for (const Language& language : languages) {
        tagWidth = std::max(tagWidth, language.tag.size());
        idsWidth = std::max(idsWidth, LangidList(language).size());
        nameWidth = std::max(nameWidth, Characters(language.name));
    }
    for (const Language& language : languages)
        out << Padded(language.tag, tagWidth + 2) << Padded(LangidList(language), idsWidth + 2)
            << Padded(language.name, nameWidth + 2) << language.nativeName << (language.rightToLeft ? "  rtl" : "")
            << "\n";
    return kExitSuccess;
}

}  // namespace saverpack
