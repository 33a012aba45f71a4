#include "compat/utf16.h"

namespace compat {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string* out, char32_t c)
{
    if (c < 0x80) {
        *out += char(c);
    } else if (c < 0x800) {
        *out += char(0xC0 | (c >> 6));
        *out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out += char(0xE0 | (c >> 12));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    } else {
        *out += char(0xF0 | (c >> 18));
        *out += char(0x80 | ((c >> 12) & 0x3F));
        *out += char(0x80 | ((c >> 6) & 0x3F));
        *out += char(0x80 | (c & 0x3F));
    }
}

// The character at text[*i] and its length, or U+FFFD for one unreadable byte.
char32_t DecodeUtf8(const std::string& text, size_t* i)
{
    const unsigned char lead = static_cast<unsigned char>(text[*i]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                  : lead >= 0xF0 && lead < 0xF5 ? 4 : 0;
    static const char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t c = length == 1 ? lead : length == 0 ? 0 : char32_t(lead & (0x7F >> length));
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = *i + k < text.size() ? static_cast<unsigned char>(text[*i + k]) : 0;
        if ((next & 0xC0) != 0x80) {
            length = 0;
            break;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (length == 0 || c < kMinimum[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
        *i += 1;
        return kReplacement;
    }
    *i += length;
    return c;
}

}  // namespace

std::string Utf8FromWide(LPCWSTR text)
{
    std::string out;
    for (size_t i = 0; text[i] != 0; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = kReplacement;
        AppendUtf8(&out, c);
    }
    return out;
}

std::u16string WideFromUtf8(const std::string& text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        char32_t c = DecodeUtf8(text, &i);
        if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

}  // namespace compat
