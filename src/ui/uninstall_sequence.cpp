// Everything happens in the process that was started, so that whoever waits for
// it (winget, Apps & features) learns the outcome from its exit status.
#include "ui/uninstall_sequence.h"

#include "actions/apps_entry.h"
#include "actions/exit_status.h"
#include "actions/removal.h"
#include "package/installer_state.h"
#include "package/reader.h"
#include "ui/app_globals.h"
#include "ui/message_boxes.h"
#include "ui/own_package.h"

#include <stdio.h>

namespace {

const char kRebootNote[] = "\n\nIt was in use: its last file goes when Windows restarts.";

unsigned LoadedRemoval()
{
    char text[512];
    snprintf(text, sizeof text, "Remove %s from this computer?", instheader.szTitle);
    if (!silentRun && ShowTitleMessage(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return actions::kStatusUserCancelled;
    unsigned status = actions::RemoveSaver();
    if (silentRun)
        return status;
    if (status == actions::kStatusInstallFailure)
        snprintf(text, sizeof text, "There has been an error removing %s.", instheader.szTitle);
    else
        snprintf(text, sizeof text, "%s has been removed from this computer.%s", instheader.szTitle,
                 status == actions::kStatusRebootRequired ? kRebootNote : "");
    ShowTitleMessage(text, MB_ICONINFORMATION);
    return status;
}

}  // namespace

bool RunsAsUninstaller()
{
    if (commandSwitches.uninstall)
        return true;
    LPCWSTR name = nullptr;
    for (LPCWSTR p = spath; *p != 0; ++p) {
        if (*p == '\\')
            name = p;
    }
    if (commandSwitches.count != 0 || name == nullptr || lstrcmpiW(name, actions::kUninstallerName) != 0)
        return false;
    // Where the uninstaller lies depends on the saver's name, so this takes the package.
    bool uninstaller = LoadInstaller(nullptr, spath) == 1 && actions::IsUninstaller(spath);
    ReleaseInstallerBlocks();
    ClearInstallerRecords();
    return uninstaller;
}

unsigned RunRemoval()
{
    unsigned status = LoadOwnPackage(nullptr);
    if (status != actions::kStatusInstalled)
        return status;
    status = LoadedRemoval();
    ReleaseInstallerBlocks();
    return status;
}
