// The display language and UTF-8 to UTF-16, as the translations need them.
#include "compat/win32_stand_in.h"

namespace {
LANGID g_language = 0x0409;
}

void compat::SetUserDefaultUILanguage(LANGID language)
{
    g_language = language;
}

LANGID GetUserDefaultUILanguage()
{
    return g_language;
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, WCHAR* wide, int capacity)
{
    if (codePage != CP_UTF8 || length < 0 || capacity < 0)
        return 0;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    int units = 0;
    for (int i = 0; i < length;) {
        unsigned lead = in[i++];
        // Sequence length and the smallest code point each length may encode.
        int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                  : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
        static const unsigned kMinimum[] = {0, 0x80, 0x800, 0x10000};
        unsigned code = extra <= 0 ? lead : lead & (0x3F >> extra);
        int taken = 0;
        while (taken < extra && i < length && (in[i] & 0xC0) == 0x80) {
            code = code << 6 | (in[i++] & 0x3F);
            ++taken;
        }
        const bool surrogate = code >= 0xD800 && code < 0xE000;
        if (extra < 0 || taken < extra || code < kMinimum[extra] || code > 0x10FFFF || surrogate)
            code = 0xFFFD;
        int needed = code >= 0x10000 ? 2 : 1;
        if (capacity != 0) {
            if (units + needed > capacity)
                return 0;
            if (needed == 2) {
                wide[units] = WCHAR(0xD800 + ((code - 0x10000) >> 10));
                wide[units + 1] = WCHAR(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                wide[units] = WCHAR(code);
            }
        }
        units += needed;
    }
    return units;
}
