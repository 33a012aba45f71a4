// Builds the command lines of the programs the stub starts (the previewed saver,
// the document viewer). CreateProcessW is given no application name, so it
// finds the program by splitting the line at blanks: a path with a blank must be
// quoted or "C:\Program Files\x.exe" may start C:\Program.exe. And a line that
// does not fit is refused, never cut into a different command. Portable.
#pragma once

#include "compat/platform.h"

#include <stddef.h>

namespace actions {

// Room for a 259-character path, a blank or " /S", and the terminating zero.
constexpr size_t kCommandLineSize = 264;

// Appends `path` to the zero-terminated `line` of `size` units, in double quotes
// when it holds a blank or a tab. False, with `line` unchanged, when the result
// would not fit or when the path cannot be carried whole: it holds a double
// quote, or it would be quoted and ends in a backslash, which the child's
// argument parser would read as an escaped quote.
bool AppendCommandPath(WCHAR* line, size_t size, const WCHAR* path);

// Appends `text` as it is. False, with `line` unchanged, when it would not fit.
bool AppendCommandText(WCHAR* line, size_t size, const WCHAR* text);

}  // namespace actions
