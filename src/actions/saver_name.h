// Which file names the installer writes into the Windows directory: screen
// savers only. The name comes from the package, and a package naming
// explorer.exe would otherwise replace a Windows program, as administrator.
// Portable: saverpack refuses such a name with the same rule.
#pragma once

namespace actions {

// True when `name` ends in ".scr" (in any case) and its stem is not a device
// name (CON, PRN, AUX, NUL, COM1-9, LPT1-9): up to Windows 10, "NUL.scr" opens
// the NUL device, whatever the extension. The stem is what comes before the
// first dot, less trailing blanks, which is what Windows compares.
bool IsScreenSaverName(const char* name);

}  // namespace actions
