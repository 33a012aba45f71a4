// The package of this very program, as the installer takes it: one the reader
// accepts, and whose saver is a screen saver.
#pragma once

#include <windows.h>

// Loads the running installer's package (spath). Returns 0 when it is loaded;
// otherwise, after a box owned by `owner` unless the run is silent, the exit
// status: 1620 for a damaged package, 1603 for a file that cannot be opened,
// which is not damaged (its path too long for the file calls, or it is gone).
// A package whose saver name does not end in .scr or names a device
// (actions/saver_name.h) is taken for damaged: one that names explorer.exe
// would otherwise replace a Windows program.
unsigned LoadOwnPackage(HWND owner);
