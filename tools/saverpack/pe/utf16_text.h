// UTF-8 and UTF-16, the encodings of saverpack's texts and of a program's
// resources.
#pragma once

#include <string>

namespace saverpack {

// `text`, well-formed UTF-8, in UTF-16.
std::u16string Utf16FromUtf8(const std::string& text);

// `text` in UTF-8; false when it holds a surrogate without its partner.
bool Utf8FromUtf16(const std::u16string& text, std::string* utf8);

}  // namespace saverpack
