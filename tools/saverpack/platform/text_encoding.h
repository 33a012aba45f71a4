// The encodings of the texts a package carries: the title and the description
// are UTF-8 in what saverpack writes and Windows-1252 (or another ANSI code page)
// in older packages; the saver's file name must be plain ASCII, because the
// installer reads it in the ANSI code page and writes it into SYSTEM.INI.
#pragma once

#include <string>

namespace saverpack {

// Empty when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF); else where and why not.
std::string Utf8Problem(const std::string& text);

// `text` read as Windows-1252, in UTF-8. The five bytes that code page leaves
// undefined become the C1 controls of the same number, as Windows decodes them.
std::string Windows1252ToUtf8(const std::string& text);

// True when every byte of `text` is printable ASCII (blank to tilde).
bool IsPrintableAscii(const std::string& text);

}  // namespace saverpack
