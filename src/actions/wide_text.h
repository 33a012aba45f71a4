// Text for the wide calls (the registry, message boxes, dialogs): UTF-8 texts and
// ANSI paths alike become UTF-16, so what is shown or stored does not depend on
// the system's code page.
#pragma once

#include <windows.h>

namespace actions {

// Converts `length` bytes of `text` in `codePage` (CP_UTF8 or CP_ACP) into
// `wide`, which holds `capacity` units, and zero-terminates it; returns the
// units before the zero. Malformed UTF-8 becomes U+FFFD. A text never needs
// more units than it has bytes, so `length` + 1 units always suffice.
int ToWide(UINT codePage, const char* text, int length, WCHAR* wide, int capacity);

// The bytes before the first zero of a fixed field of `width` bytes, at most
// `width`: a field may be full without a zero (and a damaged header is painted too).
int FieldLength(const char* field, int width);

// The same for a zero-terminated text, or a fixed field of `width` bytes that
// may be full without a zero.
int FieldToWide(UINT codePage, const char* field, int width, WCHAR* wide, int capacity);

// Appends `text` to the zero-terminated `wide` of `capacity` units. False,
// with `wide` unchanged, when it does not fit: a path is never cut short.
bool AppendWide(WCHAR* wide, int capacity, const WCHAR* text);

}  // namespace actions
