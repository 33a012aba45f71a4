#include "ui/own_package.h"

#include "actions/exit_status.h"
#include "actions/saver_name.h"
#include "package/installer_state.h"
#include "package/reader.h"
#include "ui/app_globals.h"
#include "ui/message_boxes.h"

unsigned LoadOwnPackage(HWND owner)
{
    int loaded = LoadInstaller(owner, spath);
    if (loaded == 1 && actions::IsScreenSaverName(instscr.szFileName))
        return actions::kStatusInstalled;
    // Nothing of a refused package is shown: the backdrop paints a header only
    // when it holds the header's tag. (Its blocks go with the process.)
    instheader.dwTag = 0;
    const bool unreadable = loaded == kInstallerUnreadable;
    if (!silentRun)
        ShowMessage(owner, !unreadable                   ? kDamagedMessage
                           : lstrlenW(spath) < MAX_PATH ? kUnreadableMessage
                                                         : kPathTooLongMessage);
    return unreadable ? actions::kStatusInstallFailure : actions::kStatusPackageInvalid;
}
