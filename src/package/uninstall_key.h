// The name of the saver's Apps & features entry: the key under
// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall that the installer
// writes and removes, and that winget takes for the package's product code.
// The installer and saverpack both name it here, so they cannot disagree.
#pragma once

#include <stddef.h>

namespace package {

// Registry key names hold at most 255 characters.
constexpr size_t kUninstallKeyNameSize = 256;

// "ScreenSaver_" and the saver's file name, into `keyName` of `size` bytes.
// False, with `keyName` empty, for a name that is empty, holds a backslash
// (which would make a subkey) or does not fit.
bool UninstallKeyName(const char* saverFileName, char* keyName, size_t size);

}  // namespace package
