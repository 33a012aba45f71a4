#include "languages/stub_texts.h"

#include <string.h>

namespace saverpack {

namespace {

// The dialogs' buttons and the labels beside the minutes edit have room for
// short texts only; the installer grows its static texts and check box to fit,
// but not these.
struct Limit {
    const char* key;
    unsigned maxUnits;
    bool accelerator;
};
const Limit kLimits[] = {
    {"install_button", 14, true}, {"cancel_button", 14, true},   {"preview_button", 14, true},
    {"done_button", 14, true},    {"settings_button", 32, true}, {"make_default", 0, true},
    {"wait_time", 14, false},     {"minutes_label", 12, false},  {"caption", 40, false},
};

std::vector<StubText> MakeStubTexts()
{
    std::vector<StubText> texts;
#define SAVERPACK_STUB_TEXT(id, key, english) \
    texts.push_back({package::id, key, english, strstr(english, "{minutes}") != nullptr, 0, false});
    SAVERSTUB_MESSAGES(SAVERPACK_STUB_TEXT)
#undef SAVERPACK_STUB_TEXT
    for (StubText& text : texts) {
        for (const Limit& limit : kLimits) {
            if (strcmp(text.key, limit.key) == 0) {
                text.maxUnits = limit.maxUnits;
                text.accelerator = limit.accelerator;
            }
        }
    }
    return texts;
}

bool IsNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

}  // namespace

const std::vector<StubText>& StubTexts()
{
    static const std::vector<StubText> texts = MakeStubTexts();
    return texts;
}

const StubText* FindStubText(const std::string& key)
{
    for (const StubText& text : StubTexts()) {
        if (key == text.key)
            return &text;
    }
    return nullptr;
}

std::vector<std::string> Placeholders(const std::string& text)
{
    std::vector<std::string> found;
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1)) {
        size_t end = open + 1;
        while (end < text.size() && IsNameCharacter(text[end]))
            ++end;
        if (end > open + 1 && end < text.size() && text[end] == '}')
            found.push_back(text.substr(open, end + 1 - open));
    }
    return found;
}

}  // namespace saverpack
