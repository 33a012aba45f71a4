// Streams the saver out of the package into a file of a given name.
#pragma once

#include "compat/platform.h"

// Inflates the saver chunk at `offset` of the executable `source` into
// `destination`. The saver goes first into a temporary file beside the
// destination, which replaces the destination only once it is complete: on any
// failure the temporary file is removed and a file that stood under the
// destination's name is left exactly as it was. Returns 1 or 0.
int WriteSaverFile(const char* destination, const char* source, DWORD offset);

namespace package {

// Copies the directory part of `path` (everything up to its last separator, or "."
// when it has none) into `directory` of `size` bytes. False if it does not fit.
bool DirectoryOf(const char* path, char* directory, size_t size);

}  // namespace package
