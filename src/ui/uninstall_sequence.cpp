// Everything happens in the process that was started, so that whoever waits for
// it (winget, Apps & features) learns the outcome from its exit status.
#include "ui/uninstall_sequence.h"

#include "actions/apps_entry.h"
#include "actions/exit_status.h"
#include "actions/message_text.h"
#include "actions/removal.h"
#include "package/installer_state.h"
#include "package/reader.h"
#include "ui/app_globals.h"
#include "ui/message_boxes.h"
#include "ui/own_package.h"


namespace {

unsigned LoadedRemoval()
{
    using namespace package;
    if (!silentRun && actions::ShowMessageText(nullptr, kMsgRemoveQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return actions::kStatusUserCancelled;
    unsigned status = actions::RemoveSaver();
    if (silentRun)
        return status;
    actions::ShowMessageText(nullptr,
                             status == actions::kStatusInstallFailure   ? kMsgRemoveError
                             : status == actions::kStatusRebootRequired ? kMsgRemovedAtRestart
                                                                        : kMsgRemoved,
                             MB_ICONINFORMATION);
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
