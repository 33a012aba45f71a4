// Streams the saver out of the package into a file of a given name.
#pragma once

#include "compat/platform.h"

// Inflates the saver chunk at `offset` of the executable `source` into
// `destination`. The saver goes first into a temporary file beside the
// destination, which replaces the destination only once it is complete: on any
// failure the temporary file is removed and a file that stood under the
// destination's name is left exactly as it was. Returns 1 or 0.
int WriteSaverFile(LPCWSTR destination, LPCWSTR source, DWORD offset);

// The prefix of every temporary file the stub makes.
inline constexpr WCHAR kTempFilePrefix[] = WIDE_TEXT("QJX");

namespace package {

// Copies the directory part of `path` (everything up to its last separator, or "."
// when it has none) into `directory` of `size` units. False if it does not fit.
bool DirectoryOf(LPCWSTR path, WCHAR* directory, size_t size);

}  // namespace package
