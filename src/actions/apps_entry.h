// The saver's entry in Apps & features (Settings > Apps), which winget reads too:
// an uninstaller, a verbatim copy of the installer that keeps its signature, in
// a folder under Program Files that only administrators may write, and the
// Uninstall key that points at it. Asked for by the package's "iapp" record.
#pragma once

#include <windows.h>

namespace actions {

// The uninstaller's file name, after the separator that puts it in its folder.
inline constexpr WCHAR kUninstallerName[] = L"\\uninstall.exe";

// <Program Files>\<the saver's name without extension> Screen Saver and its
// uninstall.exe, each into MAX_PATH units. False when there is no Program Files
// folder or the paths do not fit.
bool UninstallerLocation(WCHAR* folder, WCHAR* uninstaller);

// True when `path` names the same file as the uninstaller of this package: the
// long forms compared, as the user may start it by its short path.
bool IsUninstaller(const WCHAR* path);

// For a package with an "iapp" record: copies the running installer to the
// uninstaller's place (unless it is that uninstaller) and writes the key for
// the saver installed at `saverPath`. Never half made: when any part fails,
// neither the copy nor the key is left. True when registered.
bool RegisterAppsEntry(const WCHAR* saverPath);

// Deletes the key and the uninstaller with its folder; a running uninstaller
// and its folder at the next restart. Parts already gone are no error.
void RemoveAppsEntry();

}  // namespace actions
