// The install prompt: proposes the package's timeout and the make-default box,
// offers a preview, and returns the install choice.
#include "ui/dialogs.h"

#include "actions/preview.h"
#include "package/installer_state.h"
#include "package/messages.h"
#include "res/resource_ids.h"
#include "ui/app_globals.h"
#include "ui/dialog_texts.h"

#include <commctrl.h>
#include <stdio.h>

namespace {

using namespace package;

// In template order: Install, Cancel, the check box, the prompt, the label
// before the minutes, the edit, the up-down, the label after it, Preview.
const BYTE kPromptTexts[] = {
    kMsgInstallButton,           kMsgCancelButton, kMsgMakeDefault | ui::kGrowDown, kMsgInstallPrompt | ui::kGrowDown,
    kMsgWaitTime | ui::kGrowRight, ui::kKeepText,    ui::kKeepText,                  kMsgMinutesLabel | ui::kGrowRight,
    kMsgPreviewButton,
};

// The up-down carries its range and first position in its window text, "min,max,pos".
void ApplySpinConfiguration(HWND hDlg)
{
    char text[MAX_PATH] = "";
    GetWindowTextA(GetDlgItem(hDlg, IDC_MINUTES_SPIN), text, sizeof text);
    int minimum = -1, maximum = -1, position = -1;
    sscanf(text, "%d,%d,%d", &minimum, &maximum, &position);
    if (minimum != -1 && maximum != -1)
        SendDlgItemMessageA(hDlg, IDC_MINUTES_SPIN, UDM_SETRANGE, 0, LPARAM((minimum << 16) | (maximum & 0xFFFF)));
    if (position != -1)
        SendDlgItemMessageA(hDlg, IDC_MINUTES_SPIN, UDM_SETPOS, 0, LPARAM(position & 0xFFFF));
}

void OnInitDialog(HWND hDlg)
{
    ApplySpinConfiguration(hDlg);
    // The package's proposal is shown as it is, even outside the arrows' range;
    // Install brings it into range. A /TIMEOUT or /NOACTIVATE given to the
    // installer replaces what the package proposes.
    const unsigned minutes = commandSwitches.timeout != 0 ? commandSwitches.timeout : instheader.nTimeout;
    SetDlgItemInt(hDlg, IDC_MINUTES, minutes, FALSE);
    SendDlgItemMessageA(hDlg, IDC_MAKE_DEFAULT, BM_SETCHECK, commandSwitches.noActivate ? BST_UNCHECKED : BST_CHECKED,
                        0);

    ui::ShowDialogTexts(hDlg, kPromptTexts, sizeof kPromptTexts);
    SetFocus(GetDlgItem(hDlg, IDOK));
    CentreWindow(hDlg);
}

void OnInstall(HWND hDlg)
{
    int choice = ClampMinutes(GetDlgItemInt(hDlg, IDC_MINUTES, nullptr, FALSE));
    if (SendDlgItemMessageA(hDlg, IDC_MAKE_DEFAULT, BM_GETCHECK, 0, 0) != 0)
        choice |= kMakeDefaultBit;
    EndDialog(hDlg, choice);
}

}  // namespace

int ClampMinutes(unsigned minutes)
{
    if (minutes < unsigned(kMinMinutes))
        return kMinMinutes;
    if (minutes > unsigned(kMaxMinutes))
        return kMaxMinutes;
    return int(minutes);
}

INT_PTR CALLBACK InstallPromptProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(hDlg);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnInstall(hDlg);
            break;
        case IDCANCEL:
            EndDialog(hDlg, 0);
            break;
        case IDC_PREVIEW:
            DoPreview(hDlg);
            break;
        }
        break;
    }
    return FALSE;
}

int DoInstallPrompt(HWND hwndOwner)
{
    return int(ui::ShowDialog("InstallPromptBox", hwndOwner, InstallPromptProc, 0));
}
