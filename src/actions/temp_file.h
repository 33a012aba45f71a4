// The temporary file name the preview and the document display write to.
#pragma once

#include <windows.h>

namespace actions {

// Relative: lies in the current directory when no temporary file can be made.
constexpr char kFallbackTempName[] = "TEMP$$$.$$$";

// Fills `directory` with the temporary directory ("" if there is none) and
// creates an empty, uniquely named "QJX" file there, whose path goes to `name`
// (both MAX_PATH bytes); when that fails `name` becomes the fallback name.
void MakeTempFile(char* directory, char* name);

}  // namespace actions
