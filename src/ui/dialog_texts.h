// The dialogs in the user's language: their templates, mirrored for a language
// read right to left, and their texts. With a translation every control takes
// the system's message font (the templates' bitmap font has no glyphs for most
// scripts), and each text that needs more room gets it; English keeps the
// templates' font and layout.
#pragma once

#include <windows.h>

namespace ui {

// A dialog's text list holds one entry per control, in template order: a
// message id, or kOwnText for the text the dialog passes, or kKeepText; with
// kGrowDown the control keeps its width and grows downward, pushing what lies
// below it (and the dialog's bottom) down; with kGrowRight it is a one-line label
// or button that widens to its right, pushing what stands beside it (its
// template leaves it the height of a line in the message font).
constexpr BYTE kKeepText = 0x3F;
constexpr BYTE kOwnText = 0x3E;
constexpr BYTE kTextMask = 0x3F;
constexpr BYTE kGrowDown = 0x80;
constexpr BYTE kGrowRight = 0x40;

// Shows the template `name` as a modal dialog owned by `owner`, then lets the
// owner repaint what it covered. Returns the dialog's result, or -1 when it
// cannot be shown.
INT_PTR ShowDialog(const char* name, HWND owner, DLGPROC proc, LPARAM param);

// The template `name` for the ...Indirect calls; NULL when it is missing. The
// copy made for a right-to-left language serves one dialog's creation at a time.
LPCDLGTEMPLATEA DialogTemplate(const char* name);

// Sets the texts of `dialog`'s controls from its text list of `count` entries
// and makes room for them; call it before the dialog is centred.
void ShowDialogTexts(HWND dialog, const BYTE* texts, int count, const WCHAR* ownText = nullptr);

}  // namespace ui
