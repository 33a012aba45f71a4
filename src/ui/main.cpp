// The stub's entry point: reads the command line, then installs with the window
// and its dialogs, or silently without either, or removes the saver, and
// returns the exit status that tells how the run ended.
#include "actions/exit_status.h"
#include "actions/switches.h"
#include "package/installer_state.h"
#include "ui/app_globals.h"
#include "ui/common_controls.h"
#include "ui/install_sequence.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/uninstall_sequence.h"

namespace {

void StoreOwnPath()
{
    // Wide, and as long as Windows paths go: an ANSI path holds only what the
    // code page can spell, and a Downloads folder named in another script comes
    // back as question marks, which name no file.
    DWORD length = GetModuleFileNameW(hInst, spath, kLongPathSize);
    // A path that filled the buffer is cut off, and may not even be terminated.
    if (length == 0 || length >= kLongPathSize)
        spath[0] = 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    hInst = hInstance;
    // Before anything else loads a DLL: the install prompt's up-down control
    // comes from the system's comctl32 and nowhere else.
    LoadCommonControls();
    ClearInstallerRecords();

    // The whole line is read before the package or any window, so that a
    // mistyped switch installs nothing at all.
    if (!actions::ParseSwitches(GetCommandLineA(), &commandSwitches)) {
        if (!commandSwitches.silent)
            ShowUnknownSwitch(commandSwitches.unknown);
        return actions::kStatusInvalidParameter;
    }
    if (commandSwitches.help) {
        ShowSwitchHelp();
        return actions::kStatusInstalled;
    }
    silentRun = commandSwitches.silent;
    StoreOwnPath();
    if (RunsAsUninstaller())
        return int(RunRemoval());
    if (silentRun)
        return int(RunSilentInstall());
    return CreateInstallerWindow(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
