// The package of this very program, as the installer takes it: one the reader
// accepts, and whose saver is a screen saver.
#pragma once

#include <windows.h>

// LoadInstaller on the stub's own file, and a saver name that ends in .scr and
// names no device (actions/saver_name.h): a package that names explorer.exe
// would otherwise replace a Windows program, and is taken for damaged. 1 when
// loaded, 0 otherwise.
int LoadOwnPackage(HWND window);
