#include "ui/header_text.h"

#include "actions/wide_text.h"
#include "package/installer_state.h"

#include <string.h>

int ui::FieldLength(const char* field, int capacity)
{
    int length = 0;
    while (length < capacity && field[length] != '\0')
        ++length;
    return length;
}

int ui::Utf8ToWide(const char* text, int length, WCHAR* wide, int capacity)
{
    return actions::ToWide(CP_UTF8, text, length, wide, capacity);
}

void ui::SetHeaderDlgItemText(HWND dialog, int id, const char* text)
{
    if (!package::HasUtf8Texts(instheader)) {
        SetDlgItemTextA(dialog, id, text);
        return;
    }
    // The longest message the dialogs format: every byte is at most one unit.
    WCHAR wide[8192];
    int length = int(strnlen(text, sizeof wide / sizeof wide[0] - 1));
    Utf8ToWide(text, length, wide, sizeof wide / sizeof wide[0]);
    SetDlgItemTextW(dialog, id, wide);
}
