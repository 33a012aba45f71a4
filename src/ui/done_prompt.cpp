// The done prompt: says that the saver is installed and whether it is active.
// Done is the only way out; Esc is ignored on purpose.
#include "ui/dialogs.h"
#include "ui/display_scale.h"
#include "ui/header_text.h"

#include "package/installer_state.h"
#include "res/resource_ids.h"

#include <stdio.h>
#include <string.h>

HFONT hDoneFont;

namespace {

const char kInstalledFormat[] =
    "%s has been installed as a Windows screen saver. You can configure this screen saver at any time by "
    "clicking on Start in the Windows task bar and selecting Settings. Select Control Panel and double-click "
    "on the Display applet. Select the Screen Saver tab.\n\n";
const char kActiveFormat[] =
    "Your new screen saver is active, and will blank your screen after a period of %d minute(s) of inactivity.";
const char kNotActive[] =
    "Your new screen saver is not yet active. Open the Screen Saver tab of the Control Panel and select it "
    "from the Screen Saver combo box.";

void OnInitDialog(HWND hDlg, int choice)
{
    // The one length of the dialogs given in pixels: the rest is in dialog units,
    // which grow with the dialog font and so with the display's DPI.
    hDoneFont = CreateFontA(ui::Scaled(12), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            "ARIAL");
    SendDlgItemMessageA(hDlg, IDC_CREDIT, WM_SETFONT, WPARAM(hDoneFont), 0);

    char message[8192];
    snprintf(message, sizeof message, kInstalledFormat, instheader.szTitle);
    char state[264];
    if (choice & kMakeDefaultBit)
        snprintf(state, sizeof state, kActiveFormat, choice & kMinutesMask);
    else
        snprintf(state, sizeof state, "%s", kNotActive);
    strncat(message, state, sizeof message - strlen(message) - 1);
    ui::SetHeaderDlgItemText(hDlg, IDC_DONE_TEXT, message);

    SetFocus(GetDlgItem(hDlg, IDOK));
    CentreWindow(hDlg);
}

void OnDone(HWND hDlg)
{
    if (hDoneFont != nullptr)
        DeleteObject(hDoneFont);
    hDoneFont = nullptr;
    EndDialog(hDlg, 1);
}

}  // namespace

INT_PTR CALLBACK DonePromptProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        OnInitDialog(hDlg, int(lParam));
    else if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
        OnDone(hDlg);
    return FALSE;
}

int DoDonePrompt(HWND hwndOwner, int choice)
{
    INT_PTR result = DialogBoxParamA(hInst, "DonePromptBox", hwndOwner, DonePromptProc, LPARAM(choice));
    UpdateWindow(hwndOwner);
    return int(result);
}
