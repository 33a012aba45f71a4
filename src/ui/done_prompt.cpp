// The done prompt: says that the saver is installed and whether it is active,
// and opens Windows' screen saver settings on request. Done is the only way
// out; Esc is ignored on purpose.
#include "ui/dialogs.h"
#include "ui/display_scale.h"

#include "actions/message_text.h"
#include "res/resource_ids.h"
#include "ui/dialog_texts.h"

#include <string.h>

HFONT hDoneFont;

namespace {

using namespace package;

// In template order: Done, the message, the credit line, its frame, the settings button.
const BYTE kDoneTexts[] = {kMsgDoneButton, ui::kOwnText | ui::kGrowDown, kMsgCredit | ui::kGrowDown, ui::kKeepText,
                           kMsgSettingsButton | ui::kGrowRight};

// Windows' Screen Saver Settings, the one way there on every version from Vista
// on. Started by full path from the system directory, so that no control.exe
// lying beside the installer runs; the prompt does not wait for it.
void OpenScreenSaverSettings()
{
    static const WCHAR kArguments[] = L"\\control.exe\" desk.cpl,,@screensaver";
    WCHAR command[MAX_PATH + sizeof kArguments / sizeof kArguments[0]] = L"\"";
    const UINT length = GetSystemDirectoryW(command + 1, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    memcpy(command + 1 + length, kArguments, sizeof kArguments);
    static STARTUPINFOW startup;
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void OnInitDialog(HWND hDlg, int choice)
{
    // The one length of the dialogs given in pixels: the rest is in dialog units,
    // which grow with the dialog font and so with the display's DPI.
    hDoneFont = CreateFontA(ui::Scaled(12), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                            "ARIAL");
    SendDlgItemMessageA(hDlg, IDC_CREDIT, WM_SETFONT, WPARAM(hDoneFont), 0);

    // The installed paragraph, then the state sentence.
    static WCHAR message[2 * actions::kMessageUnits];
    const int length = actions::MessageText(kMsgInstalled, message, actions::kMessageUnits);
    actions::MessageText((choice & kMakeDefaultBit) ? kMsgActive : kMsgNotActive, message + length,
                         actions::kMessageUnits, unsigned(choice & kMinutesMask));
    ui::ShowDialogTexts(hDlg, kDoneTexts, sizeof kDoneTexts, message);

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
    else if (message == WM_COMMAND && LOWORD(wParam) == IDC_SETTINGS)
        OpenScreenSaverSettings();
    return FALSE;
}

int DoDonePrompt(HWND hwndOwner, int choice)
{
    return int(ui::ShowDialog("DonePromptBox", hwndOwner, DonePromptProc, LPARAM(choice)));
}
