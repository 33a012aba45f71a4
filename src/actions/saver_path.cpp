#include "actions/saver_path.h"

#include "actions/wide_text.h"
#include "package/installer_state.h"

#include <stdio.h>
#include <string.h>

namespace actions {

namespace {

bool IsPlainFileName(const char* name)
{
    if (name[0] == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    return strpbrk(name, "\\/:") == nullptr;
}

}  // namespace

bool BuildSaverPath(char* path, WCHAR* widePath)
{
    if (!IsPlainFileName(instscr.szFileName))
        return false;
    UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const char* separator = path[length - 1] == '\\' ? "" : "\\";
    int written = snprintf(path + length, MAX_PATH - length, "%s%s", separator, instscr.szFileName);
    return written >= 0 && size_t(written) < MAX_PATH - length &&
           ToWide(CP_ACP, path, length + written, widePath, MAX_PATH) > 0;
}

}  // namespace actions
