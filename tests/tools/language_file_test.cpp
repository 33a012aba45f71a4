// Language files: every refusal names the file, the line and the key; the
// plural tables follow CLDR's rules; every built-in file reads and is listed.
#include "languages/builtin_languages.h"
#include "languages/language_file.h"
#include "languages/languages_chunk.h"
#include "languages/plural_rules.h"
#include "run_saverpack.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace package;
using packertest::LanguageFileText;
using packertest::ReplaceLine;
using packertest::RunSaverpack;

std::string Append(const std::string& file, const std::string& line)
{
    return file + line + "\n";
}

// `expected` with each @KEY@ replaced by the line that gives KEY in `file`, and
// @end@ by its last line.
std::string WithLines(const std::string& file, std::string expected)
{
    for (size_t open; (open = expected.find('@')) != std::string::npos;) {
        size_t close = expected.find('@', open + 1);
        std::string key = expected.substr(open + 1, close - open - 1);
        std::string before = key == "end" ? file.substr(0, file.size() - 1)
                                          : file.substr(0, file.find("\n" + key + " = ") + 1);
        size_t line = size_t(std::count(before.begin(), before.end(), '\n')) + 1;
        expected.replace(open, close - open + 1, std::to_string(line));
    }
    return expected;
}

TEST(LanguageFile, RefusalsNameTheFileTheLineAndTheKey)
{
    // Russian: three forms for the count, so every rule of the forms applies.
    const std::string ru = LanguageFileText("ru", "0419", {"one", "few", "many"});
    struct Case {
        const char* name;
        std::string file;
        std::string problem;  // empty: the file reads
    } cases[] = {
        {"as written", ru, ""},
        {"byte-order mark and CRLF", [&] {
             std::string crlf = "\xEF\xBB\xBF";
             for (char c : ru)
                 crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
             return crlf;
         }(), ""},
        {"button at its cap with its &", ReplaceLine(ru, "install_button", "install_button = &Установить!!!!"), ""},
        {"not UTF-8", ReplaceLine(ru, "caption", "caption = Caf\xE9"),
         "x.lang:@caption@: caption: not UTF-8: the text ends inside the UTF-8 character that begins at byte 14 (0xE9)"},
        {"UTF-16", "\xFF\xFE" + ru, "x.lang:1: not UTF-8: the file is UTF-16; save it as UTF-8"},
        {"text missing", ReplaceLine(ru, "caption", ""), "x.lang: caption: missing"},
        {"description missing", ReplaceLine(ru, "native_name", ""), "x.lang: native_name: missing"},
        {"plural form missing", ReplaceLine(ru, "active[many]", ""),
         "x.lang:@active[one]@: active[many]: missing; the language ru needs the forms one, few, many for 1 to 99"},
        {"plural form not used", Append(ru, "active[other] = {minutes}"),
         "x.lang:@end@: active[other]: the language ru uses no form other for 1 to 99; give one, few, many only"},
        {"no plural form", Append(ru, "active[plural] = {minutes}"),
         "x.lang:@end@: active[plural]: \"plural\" is not a plural form (zero, one, two, few, many, other)"},
        {"form without a count", Append(ru, "caption[one] = X"),
         "x.lang:@end@: caption[one]: takes no plural forms: caption holds no {minutes}"},
        {"count without a form", Append(ru, "active = {minutes}"),
         "x.lang:@end@: active: holds a count: give it as active[form] for each form the language needs (one, few, "
         "many)"},
        {"unknown key", Append(ru, "titel = T"), "x.lang:@end@: titel: unknown key"},
        {"key twice", Append(ru, "caption = Again"), "x.lang:@end@: caption: given twice (first on line @caption@)"},
        {"placeholder left out", ReplaceLine(ru, "install_prompt", "install_prompt = Install?"),
         "x.lang:@install_prompt@: install_prompt: its placeholders (none) differ from the English text's ({title})"},
        {"another text's placeholder", ReplaceLine(ru, "wait", "wait = {title} {minutes}"),
         "x.lang:@wait@: wait: its placeholders ({title}, {minutes}) differ from the English text's ({title})"},
        {"two &", ReplaceLine(ru, "install_button", "install_button = &In&stall"),
         "x.lang:@install_button@: install_button: holds 2 \"&\"; a button or check box takes at most one"},
        {"two & in the check box", ReplaceLine(ru, "make_default", "make_default = &Make it && go"),
         "x.lang:@make_default@: make_default: holds 3 \"&\""},
        {"button over its cap", ReplaceLine(ru, "install_button", "install_button = &Установить!!!!!"),
         "x.lang:@install_button@: install_button: is 15 characters long (UTF-16 code units, \"&\" not counted); at "
         "most 14 fit"},
        {"caption over its cap, beyond the BMP", ReplaceLine(ru, "caption", "caption = \xF0\x9F\x90\x9F" + std::string(39, 'x')),
         "x.lang:@caption@: caption: is 41 characters long"},
        {"long text", ReplaceLine(ru, "credit", "credit = " + std::string(1025, 'x')),
         "x.lang:@credit@: credit: is 1025 bytes long in UTF-8; at most 1024 fit"},
        {"other escape", ReplaceLine(ru, "caption", "caption = A\\tB"),
         "x.lang:@caption@: caption: \\t is no escape; only \\n (a line break) and \\\\ (a backslash) are"},
        {"lone backslash", ReplaceLine(ru, "caption", "caption = A\\"),
         "x.lang:@caption@: caption: the text ends in a lone \"\\\""},
        {"control character", ReplaceLine(ru, "caption", "caption = A\x01" "B"),
         "x.lang:@caption@: caption: the text holds the control character U+0001"},
        {"empty text", ReplaceLine(ru, "caption", "caption = "), "x.lang:@caption@: caption: has no text"},
        {"no key", Append(ru, "just words"), "x.lang:@end@: not a \"key = text\" line"},
        {"tag", ReplaceLine(ru, "language", "language = russian"),
         "x.lang:@language@: language: \"russian\" is not a language tag"},
        {"LANGID", ReplaceLine(ru, "langids", "langids = 0419 419"),
         "x.lang:@langids@: langids: \"419\" is not a LANGID of four hexadecimal digits"},
        {"direction", ReplaceLine(ru, "direction", "direction = left"),
         "x.lang:@direction@: direction: is \"left\"; give ltr (left to right) or rtl (right to left)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        saverpack::Language language;
        std::vector<std::string> problems;
        bool read = saverpack::ReadLanguageFile("x.lang", c.file, &language, &problems);
        EXPECT_EQ(read, c.problem.empty());
        if (c.problem.empty()) {
            EXPECT_EQ(problems.size(), 0u) << problems.front();
            EXPECT_EQ(language.tag, "ru");
            continue;
        }
        ASSERT_EQ(problems.size(), 1u) << problems.front() << "\n" << problems.back();
        std::string expected = WithLines(c.file, c.problem);
        EXPECT_EQ(problems.front().substr(0, expected.size()), expected);
    }
}

TEST(PluralRules, CountsTakeTheirLanguagesForms)
{
    const struct {
        const char* tag;
        unsigned count;
        PluralForm form;
    } cases[] = {
        {"ru", 1, kPluralOne},    {"ru", 2, kPluralFew},    {"ru", 5, kPluralMany},  {"ru", 11, kPluralMany},
        {"ru", 12, kPluralMany},  {"ru", 21, kPluralOne},   {"ru", 22, kPluralFew},  {"uk", 94, kPluralFew},
        {"pl", 1, kPluralOne},    {"pl", 4, kPluralFew},    {"pl", 13, kPluralMany}, {"pl", 21, kPluralMany},
        {"pl", 22, kPluralFew},   {"ar", 1, kPluralOne},    {"ar", 2, kPluralTwo},   {"ar", 3, kPluralFew},
        {"ar", 10, kPluralFew},   {"ar", 11, kPluralMany},  {"ar", 99, kPluralMany}, {"lv", 1, kPluralOne},
        {"lv", 10, kPluralZero},  {"lv", 11, kPluralZero},  {"lv", 19, kPluralZero}, {"lv", 21, kPluralOne},
        {"lv", 22, kPluralOther}, {"lt", 11, kPluralOther}, {"lt", 22, kPluralFew},  {"sl", 3, kPluralFew},
        {"ro", 19, kPluralFew},   {"ro", 20, kPluralOther}, {"cs", 5, kPluralOther}, {"he", 2, kPluralTwo},
        {"sr-Latn", 21, kPluralOne}, {"fr", 1, kPluralOne}, {"zh-Hant", 1, kPluralOther},
        // Unknown tags take their primary subtag's rule, else "other" for every count.
        {"de-AT", 1, kPluralOne}, {"eo", 1, kPluralOther},
    };
    for (const auto& c : cases)
        EXPECT_EQ(int(saverpack::PluralTableFor(c.tag)[c.count - 1]), int(c.form)) << c.tag << " " << c.count;
    EXPECT_EQ(saverpack::FormsUsed(saverpack::PluralTableFor("ar")),
              (std::vector<PluralForm>{kPluralOne, kPluralTwo, kPluralFew, kPluralMany}));
}

// inspect and build read the chunk back: what was encoded decodes whole, and
// every cut, or a length that runs past its end, is structural damage.
TEST(LanguagesChunk, EncodedDecodesAndEveryCutIsRefused)
{
    std::vector<saverpack::Language> languages(2);
    std::vector<std::string> problems;
    ASSERT_TRUE(saverpack::ReadLanguageFile("ru.lang", LanguageFileText("ru", "0419", {"one", "few", "many"}),
                                            &languages[0], &problems));
    ASSERT_TRUE(saverpack::ReadLanguageFile("cy.lang", LanguageFileText("cy", "0452", {"other"}), &languages[1],
                                            &problems));
    const std::vector<uint8_t> content = saverpack::EncodeLanguages(languages);
    std::vector<saverpack::Language> decoded;
    std::string problem;
    ASSERT_TRUE(saverpack::DecodeLanguages(content, &decoded, &problem)) << problem;
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0].tag, "ru");
    EXPECT_EQ(decoded[0].plurals, languages[0].plurals);
    EXPECT_EQ(decoded[1].texts.back().text, languages[1].texts.back().text);
    for (size_t size = 0; size < content.size(); ++size) {
        std::vector<uint8_t> cut(content.begin(), content.begin() + long(size));
        EXPECT_FALSE(saverpack::DecodeLanguages(cut, &decoded, &problem)) << size;
    }
    std::vector<uint8_t> longer = content;
    longer[5] = 0x7F;  // the first record's length, its high byte
    EXPECT_FALSE(saverpack::DecodeLanguages(longer, &decoded, &problem));
    EXPECT_EQ(problem, "language 1 of 2 runs past the end of the chunk");
}

// Whatever files the source tree holds: each reads, is named after its tag, is
// listed by `saverpack languages` and printed by --print as it is.
TEST(BuiltInLanguages, EveryFileReadsAndIsListed)
{
    ASSERT_NE(saverpack::FindBuiltInLanguage("en"), nullptr);
    packertest::RunResult list = RunSaverpack({"languages"});
    ASSERT_EQ(list.code, 0) << list.err;
    std::istringstream lines(list.out);
    for (size_t i = 0; i < saverpack::kBuiltInLanguageFileCount; ++i) {
        const saverpack::BuiltInLanguageFile& file = saverpack::kBuiltInLanguageFiles[i];
        SCOPED_TRACE(file.fileName);
        saverpack::Language language;
        std::vector<std::string> problems;
        EXPECT_TRUE(saverpack::ReadBuiltInLanguage(file, &language, &problems)) << problems.front();
        EXPECT_EQ(language.tag, saverpack::BuiltInTag(file));

        std::string line, tag, langid, rest;
        ASSERT_TRUE(std::getline(lines, line));
        std::istringstream words(line);
        words >> tag >> langid;
        EXPECT_EQ(tag, language.tag);
        EXPECT_EQ(std::stoul(langid, nullptr, 16), language.langids.at(0));
        EXPECT_NE(line.find("  " + language.name + " "), std::string::npos) << line;
        EXPECT_NE(line.find("  " + language.nativeName), std::string::npos) << line;
        EXPECT_EQ(line.size() > 5 && line.compare(line.size() - 5, 5, "  rtl") == 0, language.rightToLeft) << line;

        packertest::RunResult printed = RunSaverpack({"languages", "--print", tag});
        EXPECT_EQ(printed.code, 0);
        EXPECT_EQ(printed.out, std::string(file.bytes, file.size));
    }
    std::string extra;
    EXPECT_FALSE(std::getline(lines, extra)) << extra;
}

}  // namespace
