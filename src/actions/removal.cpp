#include "actions/removal.h"

#include "actions/apps_entry.h"
#include "actions/exit_status.h"
#include "actions/saver_path.h"

#include <windows.h>

namespace actions {

namespace {

// The long form of `path`, or `path` itself when it has none (it is gone).
void LongForm(const char* path, char* out)
{
    DWORD length = GetLongPathNameA(path, out, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        lstrcpynA(out, path, MAX_PATH);
}

// Switches screen saving off if SYSTEM.INI names this saver, and only then:
// another saver's setting is the user's. Activation wrote the short path, so
// the long forms are compared.
void ClearActiveSaver(const char* saver)
{
    char entry[MAX_PATH], entryLong[MAX_PATH], saverLong[MAX_PATH];
    if (GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", entry, MAX_PATH, "SYSTEM.INI") == 0)
        return;
    LongForm(entry, entryLong);
    LongForm(saver, saverLong);
    if (lstrcmpiA(entryLong, saverLong) != 0)
        return;
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", nullptr, "SYSTEM.INI");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_UPDATEINIFILE);
}

}  // namespace

unsigned RemoveSaver()
{
    // The same plain-name rule as installing: nothing else is ever deleted.
    char saver[MAX_PATH];
    if (!BuildSaverPath(saver, sizeof saver))
        return kStatusInstallFailure;
    ClearActiveSaver(saver);
    unsigned status = kStatusInstalled;
    if (GetFileAttributesA(saver) != INVALID_FILE_ATTRIBUTES && !DeleteFileA(saver)) {
        if (!MoveFileExA(saver, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            return kStatusInstallFailure;
        status = kStatusRebootRequired;
    }
    RemoveAppsEntry();
    return status;
}

}  // namespace actions
