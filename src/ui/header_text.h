// The header's title and description as the end user reads them. ANSI texts go
// to the ANSI calls byte for byte; texts the header marks as UTF-8 are turned
// into UTF-16 and go to the wide calls, so that they read the same whatever the
// system's code page and whatever character set a font asks for.
#pragma once

#include <windows.h>

namespace ui {

// The number of bytes before the first zero of a fixed-width header field, at
// most `capacity`: a damaged header is painted too, and its fields need not end.
int FieldLength(const char* field, int capacity);

// Converts `length` bytes of UTF-8 into `wide`, which holds `capacity` units,
// and zero-terminates it; returns the units written before the zero. Bytes that
// are not UTF-8 become U+FFFD. A UTF-8 text never needs more UTF-16 units than
// it has bytes, so `length` + 1 units always suffice; with fewer it is empty.
int Utf8ToWide(const char* text, int length, WCHAR* wide, int capacity);

// Sets control `id` of `dialog` to `text`, a message formatted around the
// header's title: through the wide call when the header's texts are UTF-8.
void SetHeaderDlgItemText(HWND dialog, int id, const char* text);

}  // namespace ui
