// UTF-16 text (the stand-ins' WCHAR is char16_t) and the UTF-8 that the Unix
// calls, and the tests and the native packer, spell paths in.
#pragma once

#include "compat/win32_stand_in.h"

#include <string>

namespace compat {

// Up to the terminating zero; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(LPCWSTR text);

// Malformed UTF-8 (a stray or overlong byte, a surrogate, a character cut
// short) becomes U+FFFD, one for each byte that cannot be read.
std::u16string WideFromUtf8(const std::string& text);

}  // namespace compat
