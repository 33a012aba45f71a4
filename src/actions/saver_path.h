// Where the saver lives once installed: the Windows directory and the package's
// file name, for installing and removing alike.
#pragma once

#include <stddef.h>

namespace actions {

// The Windows directory, a separator and the saver record's file name, in
// `path` of `size` bytes. False when the name is not a plain file name (it
// comes from the package and must never climb out of the directory or name a
// device) or the path does not fit, rather than cut it to a different file.
bool BuildSaverPath(char* path, size_t size);

}  // namespace actions
