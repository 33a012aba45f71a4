#include "ui/dialog_texts.h"

#include "actions/message_text.h"
#include "package/installer_state.h"
#include "package/languages.h"

#include <string.h>

namespace ui {

namespace {

// Holds the largest of the stub's templates with room to spare; a template that
// did not fit would be shown left to right.
alignas(DWORD) BYTE mirroredTemplate[2048];

HFONT messageFont;  // made once, kept for the life of the process

HFONT MessageFont()
{
    if (messageFont == nullptr) {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            messageFont = CreateFontIndirectW(&metrics.lfMessageFont);
    }
    return messageFont;
}

// In the dialog's client coordinates, which a mirrored dialog counts from its right.
RECT ChildRect(HWND dialog, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Gives `control` the room its text needs in `font`: a one-line label or button
// widens, any other text keeps its width and grows downward.
void FitText(HWND dialog, HWND control, const WCHAR* text, HFONT font, bool oneLine)
{
    const RECT old = ChildRect(dialog, control);
    // A button's text needs a margin, a check box's starts beside its box.
    const int margin = (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0
                           ? GetSystemMetrics(SM_CXMENUCHECK) * 3 / 2
                           : 0;
    RECT needed = {0, 0, oneLine ? 0 : old.right - old.left - margin, 0};
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_NOPREFIX | (oneLine ? DT_SINGLELINE : DT_WORDBREAK));
    SelectObject(dc, previous);
    ReleaseDC(control, dc);

    int dx = needed.right + margin - (old.right - old.left);
    int dy = needed.bottom - (old.bottom - old.top);
    dx = dx > 0 ? dx : 0;
    dy = dy > 0 ? dy : 0;
    if (dx == 0 && dy == 0)
        return;
    for (HWND other = GetWindow(dialog, GW_CHILD); other != nullptr; other = GetWindow(other, GW_HWNDNEXT)) {
        RECT rect = ChildRect(dialog, other);
        if (other == control) {
            rect.right += dx;
            rect.bottom += dy;
        } else if (rect.left >= old.right && rect.top < old.bottom && rect.bottom > old.top) {
            OffsetRect(&rect, dx, 0);  // beside it in its row
        } else if (rect.top >= old.bottom) {
            OffsetRect(&rect, 0, dy);  // below it
        } else if (rect.top <= old.top && rect.bottom >= old.bottom && rect.left <= old.left &&
                   rect.right >= old.right) {
            rect.bottom += dy;  // a frame around it
        } else {
            continue;
        }
        SetWindowPos(other, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT window;
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

LPCDLGTEMPLATEA DialogTemplate(const char* name)
{
    HRSRC found = FindResourceA(hInst, name, RT_DIALOG);
    if (found == nullptr)
        return nullptr;
    // A loaded resource needs no freeing; LockResource passes a failed load on as NULL.
    auto* original = static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(hInst, found)));
    const DWORD size = SizeofResource(hInst, found);
    if (original == nullptr || !package::RightToLeft() || size > sizeof mirroredTemplate)
        return original;
    // The resource itself is read-only: the extended style goes into a copy.
    memcpy(mirroredTemplate, original, size);
    reinterpret_cast<DLGTEMPLATE*>(mirroredTemplate)->dwExtendedStyle |= WS_EX_LAYOUTRTL;
    return reinterpret_cast<LPCDLGTEMPLATEA>(mirroredTemplate);
}

INT_PTR ShowDialog(const char* name, HWND owner, DLGPROC proc, LPARAM param)
{
    LPCDLGTEMPLATEA dialogTemplate = DialogTemplate(name);
    INT_PTR result =
        dialogTemplate != nullptr ? DialogBoxIndirectParamA(hInst, dialogTemplate, owner, proc, param) : -1;
    UpdateWindow(owner);
    return result;
}

void ShowDialogTexts(HWND dialog, const BYTE* texts, int count, const WCHAR* ownText)
{
    HFONT font = package::TranslationActive() ? MessageFont() : nullptr;
    HWND control = GetWindow(dialog, GW_CHILD);
    for (int i = 0; i < count && control != nullptr; ++i, control = GetWindow(control, GW_HWNDNEXT)) {
        static WCHAR text[actions::kMessageUnits];  // one thread, and no dialog is made from in here
        const BYTE id = texts[i] & kTextMask;
        const WCHAR* shown = ownText;
        if (id < package::kMessageCount) {
            actions::MessageText(package::MessageId(id), text, actions::kMessageUnits);
            shown = text;
        }
        if (id != kKeepText)
            SetWindowTextW(control, shown);
        if (font == nullptr)
            continue;
        SendMessageA(control, WM_SETFONT, WPARAM(font), FALSE);
        if (texts[i] & (kGrowDown | kGrowRight))
            FitText(dialog, control, shown, font, (texts[i] & kGrowRight) != 0);
    }
}

}  // namespace ui
