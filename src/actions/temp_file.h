// The temporary file name the preview and the document display write to.
#pragma once

#include <windows.h>

namespace actions {

// Relative: lies in the current directory when no temporary file can be made.
constexpr WCHAR kFallbackTempName[] = L"TEMP$$$.$$$";

// Fills `directory` with the temporary directory ("" if there is none) and
// creates an empty, uniquely named "QJX" file there, whose path goes to `name`
// (both MAX_PATH units); when that fails `name` becomes the fallback name. Wide:
// the temporary directory lies in the user's profile, whose folder is named
// after the user, in any script.
void MakeTempFile(WCHAR* directory, WCHAR* name);

}  // namespace actions
