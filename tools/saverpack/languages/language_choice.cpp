#include "languages/language_choice.h"

#include "languages/builtin_languages.h"
#include "languages/languages_chunk.h"
#include "packing/package_walk.h"
#include "platform/file_util.h"

#include "package/inflate_stream.h"
#include "package/package_format.h"
#include "package/scoped_handles.h"

#include <stdio.h>
#include <string.h>

namespace saverpack {

namespace {

// A whole translation takes a few kilobytes; a file far larger is some other file.
constexpr uint32_t kMaxLanguageFileBytes = 1024 * 1024;

// A language and where it came from, for messages.
struct Source {
    Language language;
    std::string origin;  // "the built-in de" or the file's path
    bool builtIn;
};

std::string Hex16(uint16_t value)
{
    char text[8];
    snprintf(text, sizeof text, "%04X", unsigned(value));
    return text;
}

bool ChosenTags(const std::string& option, std::vector<std::string>* tags, std::vector<std::string>* problems)
{
    if (option == "all") {
        for (size_t i = 0; i < kBuiltInLanguageFileCount; ++i)
            tags->push_back(BuiltInTag(kBuiltInLanguageFiles[i]));
        return true;
    }
    if (option == "none")
        return true;
    for (size_t start = 0; start <= option.size();) {
        size_t end = option.find(',', start);
        if (end == std::string::npos)
            end = option.size();
        std::string tag = option.substr(start, end - start);
        start = end + 1;
        const BuiltInLanguageFile* file = FindBuiltInLanguage(tag);
        if (file == nullptr) {
            problems->push_back("--languages: \"" + tag +
                                "\" is not a built-in language; `saverpack languages` lists them, "
                                "--language-file adds others");
            continue;
        }
        bool seen = false;
        for (const std::string& earlier : *tags)
            seen = seen || SameTag(earlier, BuiltInTag(*file));
        if (!seen)
            tags->push_back(BuiltInTag(*file));
    }
    return problems->empty();
}

}  // namespace

bool ChooseLanguages(const std::string& option, const std::vector<std::string>& files, std::vector<Language>* chosen,
                     std::vector<std::string>* problems)
{
    problems->clear();
    chosen->clear();
    std::vector<std::string> tags;
    if (!ChosenTags(option, &tags, problems))
        return false;
    std::vector<Source> sources;
    for (const std::string& tag : tags) {
        if (SameTag(tag, "en"))
            continue;
        Source source{Language(), "the built-in " + tag, true};
        std::vector<std::string> found;
        if (!ReadBuiltInLanguage(*FindBuiltInLanguage(tag), &source.language, &found)) {
            problems->insert(problems->end(), found.begin(), found.end());
            continue;
        }
        sources.push_back(source);
    }
    for (const std::string& path : files) {
        Bytes bytes;
        std::string error;
        uint32_t size = 0;
        if (!CheckInputFile(path, &size, &error) || size > kMaxLanguageFileBytes ||
            !ReadWholeFile(path, &bytes, &error)) {
            problems->push_back(error.empty() ? path + " is " + std::to_string(size) +
                                                    " bytes long, more than a language file can be"
                                              : error);
            continue;
        }
        Source source{Language(), path, false};
        std::vector<std::string> found;
        if (!ReadLanguageFile(path, std::string(bytes.begin(), bytes.end()), &source.language, &found)) {
            problems->insert(problems->end(), found.begin(), found.end());
            continue;
        }
        bool placed = false;
        for (Source& earlier : sources) {
            if (!SameTag(earlier.language.tag, source.language.tag))
                continue;
            if (!earlier.builtIn)
                problems->push_back(source.origin + ": language: " + source.language.tag + " is given by " +
                                    earlier.origin + " too");
            else
                earlier = source;
            placed = true;
        }
        if (!placed)
            sources.push_back(source);
    }
    // The installer picks the translation that lists the user's LANGID; two
    // that list the same one would leave the choice to their order.
    for (size_t i = 0; i < sources.size(); ++i) {
        for (size_t k = 0; k < i; ++k) {
            for (uint16_t langid : sources[i].language.langids) {
                for (uint16_t other : sources[k].language.langids) {
                    if (langid == other)
                        problems->push_back(sources[i].origin + ": langids: " + Hex16(langid) + " is listed by " +
                                            sources[k].origin + " (" + sources[k].language.tag + ") too");
                }
            }
        }
    }
    if (!problems->empty())
        return false;
    for (const Source& source : sources)
        chosen->push_back(source.language);
    size_t size = EncodeLanguages(*chosen).size();
    if (size > package::kMaxLanguagesBytes || chosen->size() > 0xFFFF) {
        problems->push_back("the " + std::to_string(chosen->size()) + " languages take " + std::to_string(size) +
                            " bytes; the installer reads at most " + std::to_string(package::kMaxLanguagesBytes));
        return false;
    }
    return true;
}

bool LanguagesForBuild(const CommandLine& line, std::vector<uint8_t>* content, std::string* error)
{
    std::vector<Language> chosen;
    std::vector<std::string> problems;
    if (!ChooseLanguages(line.Has("--languages") ? line.Value("--languages") : "all", line.Values("--language-file"),
                         &chosen, &problems)) {
        error->clear();
        for (const std::string& problem : problems)
            *error += (error->empty() ? "" : "\nsaverpack: ") + problem;
        return false;
    }
    content->clear();
    if (!chosen.empty())
        *content = EncodeLanguages(chosen);
    return true;
}

std::string CheckWrittenLanguages(const std::string& path, const std::vector<uint8_t>& content)
{
    PackageWalk walk;
    std::string error;
    if (!WalkFile(path, &walk, &error))
        return error;
    if (!walk.problem.empty())
        return walk.problem;
    if (walk.hasLanguages != !content.empty() || walk.languages != content)
        return "the translations read back differ from those written";
    // And through the installer's own inflater, its Adler-32 included.
    for (const ChunkEntry& chunk : walk.chunks) {
        if (chunk.tag != package::kTagLanguages)
            continue;
        const uint32_t stream = chunk.offset + 2 * sizeof(uint32_t);
        DWORD length = chunk.length - 2 * sizeof(uint32_t);
        package::ScopedFile file(OpenFileUtf8(path, OF_READ));
        package::ScopedGlobalBlock block;
        if (file.valid() && _llseek(file.get(), LONG(stream), FILE_BEGIN) == LONG(stream))
            block.reset(UncompressDataFromDisk(file.get(), &length));
        package::ScopedGlobalLock inflated(block.get());
        if (inflated.data() == nullptr || length != content.size() ||
            memcmp(inflated.data(), content.data(), content.size()) != 0)
            return "the installer's inflater reads other translations than were written";
    }
    return std::string();
}

}  // namespace saverpack
