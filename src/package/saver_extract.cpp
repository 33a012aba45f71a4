#include "package/saver_extract.h"

#include "package/inflate_stream.h"
#include "package/package_format.h"
#include "package/scoped_handles.h"

#include <string.h>

namespace package {

bool DirectoryOf(LPCWSTR path, WCHAR* directory, size_t size)
{
    LPCWSTR cut = nullptr;
    for (LPCWSTR p = path; *p != 0; ++p) {
        if (*p == '\\' || *p == '/' || (*p == ':' && p == path + 1))
            cut = p;
    }
    if (cut == nullptr) {
        if (size < 2)
            return false;
        directory[0] = '.';
        directory[1] = 0;
        return true;
    }
    // Keep a root or drive separator ("C:\", "/") so the directory stays absolute.
    size_t length = size_t(cut - path) + 1;
    if (length >= size)
        return false;
    memcpy(directory, path, length * sizeof(WCHAR));
    directory[length] = 0;
    return true;
}

}  // namespace package

namespace {

using namespace package;

// Inflates the saver chunk at `offset` of the open executable into the open file.
bool InflateSaverChunk(HFILE source, HFILE target, DWORD offset)
{
    if (offset > DWORD(INT32_MAX) || _llseek(source, LONG(offset), FILE_BEGIN) != LONG(offset))
        return false;
    InstScr record;
    if (_lread(source, &record, kSaverRecordSize) != kSaverRecordSize)
        return false;
    // Without a saver chunk offset 0 points at the stub image; refuse it here
    // rather than inflate whatever lies there.
    if (record.dwTag != kTagSaver || record.dwLength < kSaverRecordSize)
        return false;
    DWORD compressed = record.dwLength - kSaverRecordSize;
    return UncompressDataToFile(target, source, &compressed) == 1;
}

}  // namespace

int WriteSaverFile(LPCWSTR destination, LPCWSTR source, DWORD offset)
{
    ScopedFile executable(OpenFileW(source, OF_READ));
    if (!executable.valid())
        return 0;

#ifdef _WIN32
    // Windows' MoveFileEx will not replace a read-only file, but Wine's does; ask
    // first, so that a read-only destination is kept wherever the stub runs.
    DWORD attributes = GetFileAttributesW(destination);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return 0;
#endif

    WCHAR directory[MAX_PATH];
    WCHAR temporary[MAX_PATH];
    if (!DirectoryOf(destination, directory, MAX_PATH))
        return 0;
    if (GetTempFileNameW(directory, kTempFilePrefix, 0, temporary) == 0)
        return 0;

    // GetTempFileNameW has created the file empty; opening it without truncation
    // matters: a truncated file is flushed to disk when it is closed (ext4, and so
    // Wine on it), which more than halves the speed of a large saver.
    ScopedFile target(OpenFileW(temporary, OF_WRITE));
    bool complete = target.valid() && InflateSaverChunk(executable.get(), target.get(), offset);
    target.Close();
    executable.Close();

    if (complete && MoveFileExW(temporary, destination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    DeleteFileW(temporary);
    return 0;
}
