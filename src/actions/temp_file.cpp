// Temporary file names for the actions.
#include "actions/temp_file.h"

#include "package/saver_extract.h"

#include <string.h>

namespace actions {

void MakeTempFile(WCHAR* directory, WCHAR* name)
{
    DWORD length = GetTempPathW(MAX_PATH, directory);
    if (length == 0 || length >= MAX_PATH)
        directory[0] = 0;
    // An empty directory would make the file in the current one: the fallback
    // name says so openly instead.
    if (directory[0] != 0 && GetTempFileNameW(directory, kTempFilePrefix, 0, name) != 0)
        return;
    memcpy(name, kFallbackTempName, sizeof kFallbackTempName);
}

}  // namespace actions
