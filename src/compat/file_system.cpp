// Renaming and temporary names with the Windows rules the portable code relies on.
#include "compat/win32_stand_in.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

BOOL MoveFileExA(LPCSTR existing, LPCSTR replacement, DWORD flags)
{
    struct stat target;
    if (lstat(replacement, &target) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return FALSE;
        // Windows refuses to replace a read-only file or a directory.
        if (S_ISDIR(target.st_mode) || (target.st_mode & 0222) == 0)
            return FALSE;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        int fd = open(existing, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return FALSE;
        int synced = fsync(fd);
        close(fd);
        if (synced != 0)
            return FALSE;
    }
    return rename(existing, replacement) == 0;
}

UINT GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT unique, LPSTR name)
{
    if (unique != 0)
        return 0;  // the portable code always lets the system pick the number
    size_t length = strlen(directory);
    bool separated = length != 0 && (directory[length - 1] == '/' || directory[length - 1] == '\\');
    // Windows keeps the name and the whole path within MAX_PATH.
    if (length + 14 >= MAX_PATH)
        return 0;
    static UINT counter = 0;
    UINT start = (UINT(getpid()) * 7919u + ++counter) & 0xFFFF;
    for (UINT i = 0; i < 0x10000; ++i) {
        UINT number = (start + i) & 0xFFFF;
        if (number == 0)
            continue;
        snprintf(name, MAX_PATH, "%s%s%.3s%X.TMP", directory, separated ? "" : "/", prefix, number);
        int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return number;
        }
        if (errno != EEXIST)
            return 0;
    }
    return 0;
}
