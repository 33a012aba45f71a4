// OpenFileW for Windows (compat/platform.h): the file calls by UTF-16 path.
// The _l… calls take any file handle as their HFILE, and a file handle fits in
// 32 bits on 64-bit Windows too; INVALID_HANDLE_VALUE becomes HFILE_ERROR.
#include "compat/platform.h"

HFILE OpenFileW(LPCWSTR path, int style)
{
    const bool create = (style & OF_CREATE) != 0;
    const DWORD access = create ? GENERIC_READ | GENERIC_WRITE : (style & OF_WRITE) ? GENERIC_WRITE : GENERIC_READ;
    // The sharing of _lopen's default (compatibility) mode.
    HANDLE file = CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return HFILE(INT_PTR(file));
}
