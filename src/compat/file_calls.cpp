// The classic _l… file calls over POSIX descriptors, opened by UTF-16 paths
// spelled in UTF-8 for the Unix calls.
#include "compat/utf16.h"
#include "compat/win32_stand_in.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Windows will not write to a read-only file (or a directory); root on POSIX would.
bool RefusesWriting(LPCSTR path)
{
    struct stat st;
    return stat(path, &st) == 0 && (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0);
}

}  // namespace

HFILE OpenFileW(LPCWSTR path, int style)
{
    const std::string name = compat::Utf8FromWide(path);
    int flags = style == OF_READ ? O_RDONLY : style == OF_WRITE ? O_WRONLY : style == OF_READWRITE ? O_RDWR
              : style == OF_CREATE ? O_RDWR | O_CREAT | O_TRUNC : -1;
    if (flags < 0)
        return HFILE_ERROR;  // sharing modes and the other OpenFile flags are not used here
    if (style != OF_READ && RefusesWriting(name.c_str()))
        return HFILE_ERROR;
    int fd = open(name.c_str(), flags | O_CLOEXEC, 0666);
    return fd < 0 ? HFILE_ERROR : fd;
}

UINT _lread(HFILE file, LPVOID buffer, UINT count)
{
    // read() may return less than asked for on a regular file only at its end,
    // but loop anyway so a short count always means end of file or error.
    UINT done = 0;
    while (done < count) {
        ssize_t got = read(file, static_cast<char*>(buffer) + done, count - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return UINT(HFILE_ERROR);
        }
        if (got == 0)
            break;
        done += UINT(got);
    }
    return done;
}

UINT _lwrite(HFILE file, LPCCH buffer, UINT count)
{
    if (count == 0) {
        off_t here = lseek(file, 0, SEEK_CUR);
        if (here < 0 || ftruncate(file, here) != 0)
            return UINT(HFILE_ERROR);
        return 0;
    }
    UINT done = 0;
    while (done < count) {
        ssize_t put = write(file, buffer + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            // Windows reports a partial write by its count, a failed one as an error.
            return done != 0 ? done : UINT(HFILE_ERROR);
        }
        done += UINT(put);
    }
    return done;
}

LONG _llseek(HFILE file, LONG offset, int origin)
{
    int whence = origin == FILE_BEGIN ? SEEK_SET : origin == FILE_CURRENT ? SEEK_CUR
               : origin == FILE_END   ? SEEK_END : -1;
    if (whence < 0)
        return HFILE_ERROR;
    // A 32-bit signed position is all the classic call can report. A refused seek
    // leaves the file where it was, as on Windows; lseek has moved it already when
    // the new position is merely too large.
    off_t before = lseek(file, 0, SEEK_CUR);
    if (before < 0)
        return HFILE_ERROR;
    off_t result = lseek(file, off_t(offset), whence);
    if (result < 0)
        return HFILE_ERROR;
    if (result > off_t(INT32_MAX)) {
        lseek(file, before, SEEK_SET);
        return HFILE_ERROR;
    }
    return LONG(result);
}

HFILE _lclose(HFILE file)
{
    return close(file) == 0 ? 0 : HFILE_ERROR;
}
