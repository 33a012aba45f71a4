// Finds the installer package at the end of the stub's own executable, verifies
// it and loads it: fills the records, scrpos, and the doc and image blocks of
// installer_state.h.
#pragma once

#include "compat/platform.h"

#include <stdint.h>

// LoadInstaller's result when the file cannot be opened at all (missing, no
// rights, a path too long for the file calls): that says nothing about the package.
constexpr int kInstallerUnreadable = -1;

// 1 when the package was found, verified and all its parts loaded;
// kInstallerUnreadable when the file cannot be opened; 0 when it has no intact
// package. The file is closed on every path. `window` is not used.
int LoadInstaller(HWND window, LPCWSTR path);

namespace package {

// Cuts each string field of the loaded records at its field's end, so that a full
// field without a terminating zero is never read past.
void TerminateRecordStrings();

}  // namespace package
