#include "package/uninstall_key.h"

#include <stdio.h>
#include <string.h>

namespace package {

bool UninstallKeyName(const char* saverFileName, char* keyName, size_t size)
{
    if (size == 0)
        return false;
    keyName[0] = '\0';
    const size_t limit = size < kUninstallKeyNameSize ? size : kUninstallKeyNameSize;
    if (saverFileName[0] == '\0' || strchr(saverFileName, '\\') != nullptr)
        return false;
    int written = snprintf(keyName, limit, "ScreenSaver_%s", saverFileName);
    if (written < 0 || size_t(written) >= limit) {
        keyName[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace package
