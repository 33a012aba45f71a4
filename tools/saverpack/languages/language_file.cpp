#include "languages/language_file.h"

#include "languages/stub_texts.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>

namespace saverpack {

using namespace package;

namespace {

// One "key = text" line as written, before its key and text are judged.
struct Entry {
    unsigned line;
    std::string key;   // "active[few]"
    std::string base;  // "active"
    std::string form;  // "few"; empty without brackets
    bool hasForm;
    std::string text;  // escapes resolved
    bool refused;      // already refused: it counts as given, but is not judged again
};

const char* const kDescriptionKeys[] = {"language", "langids", "name", "native_name", "direction"};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool IsDescriptionKey(const std::string& key)
{
    for (const char* known : kDescriptionKeys) {
        if (key == known)
            return true;
    }
    return false;
}

// \n and \\ only: a translator who writes \t or \" meant something the
// installer would not show, so it is refused rather than guessed at.
bool ResolveEscapes(const std::string& raw, std::string* text, std::string* problem)
{
    text->clear();
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\') {
            *text += raw[i];
            continue;
        }
        if (i + 1 == raw.size()) {
            *problem = "the text ends in a lone \"\\\"; write \\\\ for a backslash";
            return false;
        }
        char next = raw[++i];
        if (next == 'n') {
            *text += '\n';
        } else if (next == '\\') {
            *text += '\\';
        } else {
            *problem = std::string("\\") + next + " is no escape; only \\n (a line break) and \\\\ (a backslash) are";
            return false;
        }
    }
    return true;
}

std::string ControlCharacterProblem(const std::string& text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char code[8];
            snprintf(code, sizeof code, "U+%04X", unsigned(c));
            return std::string("the text holds the control character ") + code +
                   "; write \\n for a line break";
        }
    }
    return std::string();
}

size_t Utf16Units(const std::string& utf8)
{
    size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80)
            units += c >= 0xF0 ? 2 : 1;  // four-byte characters take a surrogate pair
    }
    return units;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A BCP 47 tag as Windows names its display languages: a primary subtag of two
// or three letters, then subtags of letters and digits joined by "-".
bool IsLanguageTag(const std::string& tag)
{
    if (tag.empty() || tag.size() > kMaxTagLength)
        return false;
    size_t start = 0;
    for (bool first = true;; first = false) {
        size_t end = tag.find('-', start);
        std::string subtag = tag.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (subtag.empty() || subtag.size() > 8 || (first && (subtag.size() < 2 || subtag.size() > 3)))
            return false;
        for (char c : subtag) {
            if (!IsAsciiLetter(c) && (first || !IsAsciiDigit(c)))
                return false;
        }
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

// Four hexadecimal digits a value, separated by blanks or commas.
bool ParseLangids(const std::string& text, std::vector<uint16_t>* langids, std::string* problem)
{
    langids->clear();
    std::string list = text;
    std::replace(list.begin(), list.end(), ',', ' ');
    size_t pos = 0;
    while ((pos = list.find_first_not_of(" \t", pos)) != std::string::npos) {
        size_t end = list.find_first_of(" \t", pos);
        std::string word = list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end;
        if (word.size() != 4 ||
            !std::all_of(word.begin(), word.end(), [](char c) { return isxdigit(static_cast<unsigned char>(c)); })) {
            *problem = "\"" + word + "\" is not a LANGID of four hexadecimal digits (\"0407\")";
            return false;
        }
        unsigned long value = strtoul(word.c_str(), nullptr, 16);
        // The low ten bits are the primary language; none is no language.
        if ((value & 0x3FF) == 0) {
            *problem = word + " names no language";
            return false;
        }
        if (std::find(langids->begin(), langids->end(), uint16_t(value)) != langids->end()) {
            *problem = word + " is given twice";
            return false;
        }
        langids->push_back(uint16_t(value));
    }
    if (langids->empty() || langids->size() > kMaxLanguageIds) {
        *problem = "give 1 to " + std::to_string(kMaxLanguageIds) + " LANGIDs";
        return false;
    }
    return true;
}

std::vector<std::string> SortedPlaceholders(const std::string& text)
{
    std::vector<std::string> placeholders = Placeholders(text);
    std::sort(placeholders.begin(), placeholders.end());
    return placeholders;
}

std::string PlaceholderList(std::vector<std::string> placeholders)
{
    if (placeholders.empty())
        return "none";
    std::string list;
    for (const std::string& p : placeholders)
        list += (list.empty() ? "" : ", ") + p;
    return list;
}

std::string FormList(const std::vector<PluralForm>& forms)
{
    std::string list;
    for (PluralForm form : forms)
        list += (list.empty() ? "" : ", ") + std::string(PluralFormName(form));
    return list;
}

class FileReader {
public:
    FileReader(const std::string& name, std::vector<std::string>* problems) : name_(name), problems_(problems) {}

    void Refuse(unsigned line, const std::string& key, const std::string& why)
    {
        problems_->push_back(name_ + (line != 0 ? ":" + std::to_string(line) : std::string()) + ": " +
                             (key.empty() ? std::string() : key + ": ") + why);
    }

    // Splits the file into entries; refuses the lines that are none.
    std::vector<Entry> Split(const std::string& bytes)
    {
        std::vector<Entry> entries;
        size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        for (unsigned number = 1; start <= bytes.size(); ++number) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos)
                end = bytes.size();
            std::string line = bytes.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            SplitLine(number, line, &entries);
        }
        return entries;
    }

private:
    void SplitLine(unsigned number, const std::string& line, std::vector<Entry>* entries)
    {
        size_t equals = line.find('=');
        std::string key = Trim(line.substr(0, equals));
        Entry entry{number, key, key, std::string(), false, std::string(), false};
        size_t open = key.find('[');
        if (open != std::string::npos && key.back() == ']') {
            entry.base = key.substr(0, open);
            entry.form = key.substr(open + 1, key.size() - open - 2);
            entry.hasForm = true;
        }
        std::string encoding = Utf8Problem(line);
        if (!encoding.empty()) {
            bool keyReadable = equals != std::string::npos && Utf8Problem(key).empty();
            Refuse(number, keyReadable ? key : std::string(), "not UTF-8: " + encoding);
            entry.refused = true;
            if (keyReadable)
                entries->push_back(entry);
            return;
        }
        std::string content = Trim(line);
        if (content.empty() || content[0] == '#')
            return;
        if (equals == std::string::npos) {
            Refuse(number, std::string(), "not a \"key = text\" line");
            return;
        }
        for (const Entry& earlier : *entries) {
            if (earlier.key == key) {
                Refuse(number, key, "given twice (first on line " + std::to_string(earlier.line) + ")");
                return;
            }
        }
        const std::string raw = Trim(line.substr(equals + 1));
        std::string problem = ControlCharacterProblem(raw);
        if (!problem.empty() || !ResolveEscapes(raw, &entry.text, &problem)) {
            Refuse(number, key, problem);
            entry.refused = true;
        }
        entries->push_back(entry);
    }

    std::string name_;
    std::vector<std::string>* problems_;
};

}  // namespace

bool SameTag(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool ReadLanguageFile(const std::string& name, const std::string& bytes, Language* language,
                      std::vector<std::string>* problems)
{
    problems->clear();
    *language = Language();
    FileReader reader(name, problems);
    // Notepad's "Unicode" is UTF-16: say so rather than list every line.
    if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        reader.Refuse(1, std::string(), "not UTF-8: the file is UTF-16; save it as UTF-8");
        return false;
    }
    std::vector<Entry> entries = reader.Split(bytes);

    // The plural forms a text needs follow from the language, wherever in the
    // file its tag is given.
    bool tagValid = false;
    for (const Entry& entry : entries) {
        if (entry.key == "language" && !entry.refused && IsLanguageTag(entry.text)) {
            language->tag = entry.text;
            language->plurals = PluralTableFor(entry.text);
            tagValid = true;
        }
    }
    const std::vector<PluralForm> forms = FormsUsed(language->plurals);
    for (const Entry& entry : entries) {
        if (entry.refused)
            continue;
        const std::string& text = entry.text;
        std::string problem;
        if (IsDescriptionKey(entry.base)) {
            if (entry.hasForm)
                problem = "takes no plural forms";
            else if (entry.key == "language" && !tagValid)
                problem = "\"" + text + "\" is not a language tag such as de, pt-BR or sr-Latn (at most " +
                          std::to_string(kMaxTagLength) + " characters)";
            else if (entry.key == "langids")
                ParseLangids(text, &language->langids, &problem);
            else if (entry.key == "direction" && text != "ltr" && text != "rtl")
                problem = "is \"" + text + "\"; give ltr (left to right) or rtl (right to left)";
            else if ((entry.key == "name" || entry.key == "native_name") && text.empty())
                problem = "has no text";
            if (entry.key == "name")
                language->name = text;
            else if (entry.key == "native_name")
                language->nativeName = text;
            else if (entry.key == "direction")
                language->rightToLeft = text == "rtl";
            if (!problem.empty())
                reader.Refuse(entry.line, entry.key, problem);
            continue;
        }
        const StubText* stub = FindStubText(entry.base);
        PluralForm form = kPluralOther;
        if (stub == nullptr) {
            problem = "unknown key";
        } else if (stub->hasCount && !entry.hasForm) {
            problem = "holds a count: give it as " + entry.base + "[form] for each form the language needs" +
                      (tagValid ? " (" + FormList(forms) + ")" : std::string());
        } else if (!stub->hasCount && entry.hasForm) {
            problem = "takes no plural forms: " + entry.base + " holds no {minutes}";
        } else if (entry.hasForm && !PluralFormFromName(entry.form, &form)) {
            problem = "\"" + entry.form + "\" is not a plural form (zero, one, two, few, many, other)";
        } else if (entry.hasForm && tagValid && std::find(forms.begin(), forms.end(), form) == forms.end()) {
            problem = "the language " + language->tag + " uses no form " + entry.form + " for 1 to 99; give " +
                      FormList(forms) + " only";
        } else if (text.empty()) {
            problem = "has no text";
        } else if (SortedPlaceholders(text) != SortedPlaceholders(stub->english)) {
            problem = "its placeholders (" + PlaceholderList(Placeholders(text)) +
                      ") differ from the English text's (" + PlaceholderList(Placeholders(stub->english)) + ")";
        } else if (stub->accelerator && std::count(text.begin(), text.end(), '&') > 1) {
            problem = "holds " + std::to_string(std::count(text.begin(), text.end(), '&')) +
                      " \"&\"; a button or check box takes at most one";
        } else if (stub->maxUnits != 0 &&
                   Utf16Units(text) - size_t(std::count(text.begin(), text.end(), '&')) > stub->maxUnits) {
            problem = "is " + std::to_string(Utf16Units(text) - size_t(std::count(text.begin(), text.end(), '&'))) +
                      " characters long (UTF-16 code units, \"&\" not counted); at most " +
                      std::to_string(stub->maxUnits) + " fit";
        } else if (text.size() > kMaxTextBytes) {
            problem = "is " + std::to_string(text.size()) + " bytes long in UTF-8; at most " +
                      std::to_string(kMaxTextBytes) + " fit";
        }
        if (!problem.empty()) {
            reader.Refuse(entry.line, entry.key, problem);
            continue;
        }
        language->texts.push_back({stub->id, form, text});
    }

    auto givenAt = [&](const std::string& key) {
        for (const Entry& entry : entries) {
            if (entry.key == key)
                return entry.line;
        }
        return 0u;
    };
    for (const char* key : kDescriptionKeys) {
        if (givenAt(key) == 0)
            reader.Refuse(0, key, "missing");
    }
    for (const StubText& stub : StubTexts()) {
        if (!stub.hasCount) {
            if (givenAt(stub.key) == 0)
                reader.Refuse(0, stub.key, "missing");
            continue;
        }
        if (!tagValid)
            continue;
        // A missing form is named at the line of the text's first form, where it belongs.
        unsigned near = 0;
        for (const Entry& entry : entries) {
            if (entry.base == stub.key && near == 0)
                near = entry.line;
        }
        for (PluralForm form : forms) {
            std::string key = std::string(stub.key) + "[" + PluralFormName(form) + "]";
            if (givenAt(key) == 0)
                reader.Refuse(near, key, "missing; the language " + language->tag + " needs the forms " +
                                             FormList(forms) + " for 1 to 99");
        }
    }
    if (!problems->empty())
        return false;
    std::stable_sort(language->texts.begin(), language->texts.end(), [](const LanguageText& a, const LanguageText& b) {
        return a.id != b.id ? a.id < b.id : a.form < b.form;
    });
    return true;
}

}  // namespace saverpack
