#include "ui/header_text.h"

#include "actions/wide_text.h"
#include "package/installer_state.h"


void ui::SetHeaderDlgItemText(HWND dialog, int id, const char* text)
{
    if (!package::HasUtf8Texts(instheader)) {
        SetDlgItemTextA(dialog, id, text);
        return;
    }
    // The longest message the dialogs format: every byte is at most one unit.
    WCHAR wide[8192];
    actions::FieldToWide(CP_UTF8, text, sizeof wide / sizeof wide[0] - 1, wide, sizeof wide / sizeof wide[0]);
    SetDlgItemTextW(dialog, id, wide);
}
