// Makes an installed saver the system's active screen saver.
#pragma once

#include <windows.h>

// Records `path` (its short form) as "SCRNSAVE.EXE" in the "boot" section of
// SYSTEM.INI, switches screen saving on and sets a timeout of `minutes`. Does
// nothing and returns 0 unless the saver lies directly in the Windows
// directory; otherwise returns 1 (the settings calls are not checked). `window`
// is not used.
int DoSetDefaultSaver(HWND window, const char* path, int minutes);
