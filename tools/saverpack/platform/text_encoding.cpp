#include "platform/text_encoding.h"

#include <stdint.h>

namespace saverpack {

namespace {

// The code points of Windows-1252's bytes 0x80 to 0x9F; the rest of the code
// page equals Latin-1.
const uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string* out, uint32_t code)
{
    if (code < 0x80) {
        *out += char(code);
    } else if (code < 0x800) {
        *out += char(0xC0 | code >> 6);
        *out += char(0x80 | (code & 0x3F));
    } else {
        *out += char(0xE0 | code >> 12);
        *out += char(0x80 | (code >> 6 & 0x3F));
        *out += char(0x80 | (code & 0x3F));
    }
}

std::string ByteAt(size_t index, unsigned char byte)
{
    static const char kHex[] = "0123456789ABCDEF";
    return "byte " + std::to_string(index + 1) + " (0x" + kHex[byte >> 4] + kHex[byte & 15] + ")";
}

}  // namespace

std::string Utf8Problem(const std::string& text)
{
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The lead byte fixes the length and the range of the second byte, which
        // is what excludes overlong forms, surrogates and values above U+10FFFF.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F;
        } else {
            return ByteAt(i, lead) + " cannot begin a UTF-8 character";
        }
        if (size - i < length)
            return "the text ends inside the UTF-8 character that begins at " + ByteAt(i, lead);
        for (size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return ByteAt(i + k, next) + " does not continue the UTF-8 character that begins at " +
                       ByteAt(i, lead);
        }
        i += length;
    }
    return std::string();
}

std::string Windows1252ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        AppendUtf8(&out, byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
    }
    return out;
}

bool IsPrintableAscii(const std::string& text)
{
    for (char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

}  // namespace saverpack
