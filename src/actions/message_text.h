// The texts the stub shows once its package is verified, as the user reads
// them: in the package's translation for the user's display language, or in
// English, with the header's title filled in; and the message boxes that show
// them. (The boxes shown before the package is verified stay English: a
// translation is not trusted before its package is.)
#pragma once

#include "package/messages.h"

#include <windows.h>

namespace actions {

// Room for any one text: the longest a translation may give, with the title.
constexpr int kMessageUnits = 2048;

// Writes the text of `id` into `out` (at most `capacity` units, the zero
// included), with `minutes` for {minutes}; returns the units before the zero.
int MessageText(package::MessageId id, WCHAR* out, int capacity, unsigned minutes = 0);

// A message box owned by `owner` with the text of `id` under the caption text,
// laid out right to left where the language reads so. Returns the button pressed.
int ShowMessageText(HWND owner, package::MessageId id, UINT type);

}  // namespace actions
