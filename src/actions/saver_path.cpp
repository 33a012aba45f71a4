#include "actions/saver_path.h"

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

bool BuildSaverPath(char* path, size_t size)
{
    if (!IsPlainFileName(instscr.szFileName))
        return false;
    UINT length = GetWindowsDirectoryA(path, UINT(size));
    if (length == 0 || length >= size)
        return false;
    const char* separator = path[length - 1] == '\\' ? "" : "\\";
    int written = snprintf(path + length, size - length, "%s%s", separator, instscr.szFileName);
    return written >= 0 && size_t(written) < size - length;
}

}  // namespace actions
