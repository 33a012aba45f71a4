#include "actions/removal.h"

#include "actions/apps_entry.h"
#include "actions/exit_status.h"
#include "actions/saver_path.h"
#include "actions/wide_text.h"

#include <windows.h>

namespace actions {

namespace {

// The long form of `path`, or `path` itself when it has none (it is gone).
void LongForm(const WCHAR* path, WCHAR* out)
{
    DWORD length = GetLongPathNameW(path, out, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        out[0] = 0;
        AppendWide(out, MAX_PATH, path);
    }
}

// Switches screen saving off if SYSTEM.INI names this saver, and only then:
// another saver's setting is the user's. Activation wrote the short path, in
// ANSI as SYSTEM.INI holds it, so the long forms are compared.
void ClearActiveSaver(const WCHAR* saver)
{
    char entry[MAX_PATH];
    WCHAR wideEntry[MAX_PATH], entryLong[MAX_PATH], saverLong[MAX_PATH];
    if (GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", entry, MAX_PATH, "SYSTEM.INI") == 0)
        return;
    FieldToWide(CP_ACP, entry, MAX_PATH, wideEntry, MAX_PATH);
    LongForm(wideEntry, entryLong);
    LongForm(saver, saverLong);
    if (lstrcmpiW(entryLong, saverLong) != 0)
        return;
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", nullptr, "SYSTEM.INI");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_UPDATEINIFILE);
}

}  // namespace

unsigned RemoveSaver()
{
    // The same plain-name rule as installing: nothing else is ever deleted.
    char saver[MAX_PATH];
    WCHAR wideSaver[MAX_PATH];
    if (!BuildSaverPath(saver, wideSaver))
        return kStatusInstallFailure;
    ClearActiveSaver(wideSaver);
    unsigned status = kStatusInstalled;
    if (GetFileAttributesW(wideSaver) != INVALID_FILE_ATTRIBUTES && !DeleteFileW(wideSaver)) {
        if (!MoveFileExW(wideSaver, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            return kStatusInstallFailure;
        status = kStatusRebootRequired;
    }
    RemoveAppsEntry();
    return status;
}

}  // namespace actions
