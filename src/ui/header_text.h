// The header's title and description as the end user reads them. ANSI texts go
// to the ANSI calls byte for byte; texts the header marks as UTF-8 are turned
// into UTF-16 and go to the wide calls, so that they read the same whatever the
// system's code page and whatever character set a font asks for.
#pragma once

#include <windows.h>

namespace ui {

// Sets control `id` of `dialog` to `text`, a message formatted around the
// header's title: through the wide call when the header's texts are UTF-8.
void SetHeaderDlgItemText(HWND dialog, int id, const char* text);

}  // namespace ui
