// The wait box stands while the saver is written; it takes no input.
#include "ui/dialogs.h"

#include "actions/message_text.h"
#include "ui/dialog_texts.h"

INT_PTR CALLBACK WaitProc(HWND hDlg, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        // The text buffer of the classic wait box: a long title is cut, never overrun.
        WCHAR text[MAX_PATH];
        actions::MessageText(package::kMsgWait, text, MAX_PATH);
        const BYTE texts[] = {ui::kOwnText | ui::kGrowDown};
        ui::ShowDialogTexts(hDlg, texts, sizeof texts, text);
        CentreWindow(hDlg);
    }
    return FALSE;
}
