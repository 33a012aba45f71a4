// Where the saver lives once installed: the Windows directory and the package's
// file name, for installing and removing alike.
#pragma once

#include <windows.h>

namespace actions {

// The Windows directory, a separator and the saver record's file name, in ANSI
// in `path` for SYSTEM.INI and in UTF-16 in `widePath` for the file calls, each
// of MAX_PATH. ANSI is safe here, as nowhere else: the file name is ASCII
// (saverpack refuses any other) and the Windows directory is the system's own.
// False when the name is not a plain file name (it comes from the package and
// must never climb out of the directory or name a device) or the path does not
// fit, rather than cut it to a different file.
bool BuildSaverPath(char* path, WCHAR* widePath);

}  // namespace actions
