#include "fuzz/every_text.h"

#include "package/languages.h"

#include <string.h>

namespace fuzzsupport {

const char* SpeakEveryText()
{
    // English, exact, by primary language, the Chinese and 0x1A exceptions, right to left.
    static const LANGID kLangids[] = {0x0409, 0x0407, 0x0C07, 0x0419, 0x0401, 0x040D, 0x0804, 0x1004, 0x141A};
    static const unsigned kMinutes[] = {0, 1, 2, 5, 11, 21, 99, 100};
    constexpr int kCapacity = 2048;
    const WCHAR title[] = {'{', 't', 'i', 't', 'l', 'e', '}', '%', 's', 0};
    WCHAR out[kCapacity + 1];
    for (LANGID langid : kLangids) {
        if (!package::SelectLanguage(langid))
            return "translations the reader accepted are refused for another language";
        for (unsigned id = 0; id < package::kMessageCount; ++id) {
            for (unsigned minutes : kMinutes) {
                out[kCapacity] = 0x5A5A;
                int units = package::LoadMessage(package::MessageId(id), minutes, title, out, kCapacity);
                if (units < 0 || units >= kCapacity || out[units] != 0)
                    return "a text is not terminated within its buffer";
                if (out[kCapacity] != 0x5A5A)
                    return "a text was written past its buffer";
            }
        }
    }
    return nullptr;
}

}  // namespace fuzzsupport
