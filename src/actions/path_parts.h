// Splits a path into drive, directory, name and extension by the rules of the
// classic C run-time's path splitting: the stub uses them to compare a saver's
// location with the Windows directory and to name the uninstaller's folder after
// the saver. Portable: no Win32 call in here.
#pragma once

#include <stddef.h>

namespace actions {

// Every part buffer handed to SplitPath holds this many bytes.
constexpr size_t kPathPartSize = 260;
// Only this many characters of a path are looked at.
constexpr size_t kPathCharsCounted = 260;
// Longest directory, name or extension kept; a drive keeps at most 2.
constexpr size_t kPathPartMax = 255;

// Splits `path`: the drive is its first two characters when the second is ":",
// the directory runs from after the drive up to and including the last "\\" or
// "/", the name is the final component before its last ".", and the extension
// is the rest, dot included. An absent part is an empty string. Any output may
// be null when the caller does not need that part.
void SplitPath(const char* path, char* drive, char* directory, char* name, char* extension);

// Compares two path parts with a-z folded to upper case and nothing else: the
// comparison must not depend on the user's locale.
bool SamePathPart(const char* a, const char* b);

// True when `path` has the same drive and directory as `directory`, a directory
// path such as GetWindowsDirectoryA reports it (a "\\" is added unless it
// already ends in one). A file in a subdirectory, or a path spelled with "/"
// where the directory has "\\", does not lie directly in it.
bool LiesDirectlyIn(const char* path, const char* directory);

}  // namespace actions
