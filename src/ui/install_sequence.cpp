// The whole installation, run inside one dispatch of WM_STARTINSTALL: prompt,
// wait box, the saver written into the Windows directory, activation, document,
// done prompt, and the request to close. A silent run does only the middle of
// it, the part that changes the system, with the same code.
#include "ui/install_sequence.h"

#include "actions/apps_entry.h"
#include "actions/default_saver.h"
#include "actions/document.h"
#include "actions/exit_status.h"
#include "actions/message_text.h"
#include "actions/saver_path.h"
#include "package/installer_state.h"
#include "package/saver_extract.h"
#include "res/resource_ids.h"
#include "ui/app_globals.h"
#include "ui/dialog_texts.h"
#include "ui/dialogs.h"
#include "ui/message_boxes.h"
#include "ui/own_package.h"

namespace {

unsigned installStatus = actions::kStatusInstallFailure;

// The modeless wait box from its template, its text set as it is created; NULL
// if it cannot be made, and the installation goes on without it.
HWND ShowWaitBox(HWND window)
{
    LPCDLGTEMPLATEA dialogTemplate = ui::DialogTemplate("WaitBox");
    if (dialogTemplate == nullptr)
        return nullptr;
    HWND box = CreateDialogIndirectParamA(hInst, dialogTemplate, window, WaitProc, 0);
    if (box == nullptr)
        return nullptr;
    // What follows takes no messages until the box is closed again: draw it now,
    // and let the box's own messages through once, which is when Wine puts the
    // drawing on the screen; otherwise it stays an empty frame.
    UpdateWindow(box);
    MSG msg;
    while (PeekMessageA(&msg, box, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    return box;
}

// What Install does to the system, with the window or without one: writes the
// saver into the Windows directory, makes it the active saver when the choice
// asks for it, and registers it for removal when the package asks for that.
// Returns the exit status; neither of the last two steps changes it.
unsigned InstallSaver(HWND owner, int choice)
{
    char destination[MAX_PATH];
    WCHAR wideDestination[MAX_PATH];
    if (!actions::BuildSaverPath(destination, wideDestination) || WriteSaverFile(wideDestination, spath, scrpos) != 1)
        return actions::kStatusInstallFailure;
    if (choice & kMakeDefaultBit)
        DoSetDefaultSaver(owner, destination, choice & kMinutesMask);
    actions::RegisterAppsEntry(wideDestination);
    return actions::kStatusInstalled;
}

// What the prompt would return had its proposal been accepted: the command
// line's timeout or the package's, brought into the prompt's range as Install
// brings it, and activation unless /NOACTIVATE.
int SilentChoice()
{
    int choice = ClampMinutes(commandSwitches.timeout != 0 ? commandSwitches.timeout : instheader.nTimeout);
    return commandSwitches.noActivate ? choice : choice | kMakeDefaultBit;
}

}  // namespace

LRESULT OnStartInstall(HWND window)
{
    int choice = DoInstallPrompt(window);
    if (choice == 0) {
        installStatus = actions::kStatusUserCancelled;
    } else if (choice > 0) {
        // (-1: the prompt could not be shown, so nobody agreed to anything, and
        // the status stays a failure.)
        HWND waitBox = ShowWaitBox(window);

        installStatus = InstallSaver(window, choice);
        if (installStatus != actions::kStatusInstalled)
            actions::ShowMessageText(window, package::kMsgWriteError, MB_ICONINFORMATION);

        Sleep(1000);  // the wait box stays up long enough to be read
        if (waitBox != nullptr)
            EndDialog(waitBox, 1);
        if (doc != nullptr)
            DisplayDocument(window);
        DoDonePrompt(window, choice);
    }
    PostMessageA(window, WM_DESTROY, 0, 0);
    return 0;
}

unsigned InstallStatus()
{
    return installStatus;
}

unsigned RunSilentInstall()
{
    // No window: the reader needs none.
    unsigned status = LoadOwnPackage(nullptr);
    if (status != actions::kStatusInstalled)
        return status;
    status = InstallSaver(nullptr, SilentChoice());
    ReleaseInstallerBlocks();
    return status;
}
