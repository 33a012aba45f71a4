// Renaming, deleting and temporary names with the Windows rules the portable
// code relies on, for UTF-16 paths spelled in UTF-8 for the Unix calls.
#include "compat/utf16.h"
#include "compat/win32_stand_in.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

BOOL MoveFileExW(LPCWSTR existingPath, LPCWSTR replacementPath, DWORD flags)
{
    const std::string existing = compat::Utf8FromWide(existingPath);
    const std::string replacement = compat::Utf8FromWide(replacementPath);
    struct stat target;
    if (lstat(replacement.c_str(), &target) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return FALSE;
        // Windows refuses to replace a read-only file or a directory.
        if (S_ISDIR(target.st_mode) || (target.st_mode & 0222) == 0)
            return FALSE;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        int fd = open(existing.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return FALSE;
        int synced = fsync(fd);
        close(fd);
        if (synced != 0)
            return FALSE;
    }
    return rename(existing.c_str(), replacement.c_str()) == 0;
}

BOOL DeleteFileW(LPCWSTR path)
{
    return unlink(compat::Utf8FromWide(path).c_str()) == 0;
}

UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR name)
{
    if (unique != 0)
        return 0;  // the portable code always lets the system pick the number
    std::u16string base = directory;
    // Windows keeps the name and the whole path within MAX_PATH.
    if (base.size() + 14 >= MAX_PATH)
        return 0;
    if (!base.empty() && base.back() != u'/' && base.back() != u'\\')
        base += u'/';
    for (int i = 0; i < 3 && prefix[i] != 0; ++i)
        base += prefix[i];
    static UINT counter = 0;
    UINT start = (UINT(getpid()) * 7919u + ++counter) & 0xFFFF;
    for (UINT i = 0; i < 0x10000; ++i) {
        UINT number = (start + i) & 0xFFFF;
        if (number == 0)
            continue;
        char digits[12];
        snprintf(digits, sizeof digits, "%X.TMP", number);
        std::u16string path = base + std::u16string(digits, digits + strlen(digits));
        int fd = open(compat::Utf8FromWide(path.c_str()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            path.copy(name, path.size());
            name[path.size()] = 0;
            return number;
        }
        if (errno != EEXIST)
            return 0;
    }
    return 0;
}
