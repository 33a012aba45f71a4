// Document display: the package's document goes to a temporary .DOC file, whose
// associated program shows it while the stub waits.
#include "actions/document.h"

#include "actions/child_process.h"
#include "actions/command_line.h"
#include "actions/temp_file.h"
#include "package/installer_state.h"
#include "package/scoped_handles.h"

#include <shellapi.h>
#include <string.h>

namespace {

// FindExecutableW returns a value above this on success, an error code otherwise.
constexpr UINT_PTR kFindExecutableThreshold = 32;

// Writes the document to `temporary` and opens it; the caller removes the file.
int ShowDocument(HWND window, WCHAR* temporary, const WCHAR* directory)
{
    if (!WriteBinaryFile(temporary, doc, long(instdoc.dwSize)))
        return 0;
    WCHAR program[MAX_PATH];
    if (UINT_PTR(FindExecutableW(temporary, directory, program)) <= kFindExecutableThreshold)
        return 0;

    // The short forms have no blanks wherever the file system provides them,
    // and a viewer that takes its command line in ANSI can open the document
    // by its short path where the long one holds letters its code page lacks.
    GetShortPathNameW(program, program, MAX_PATH);
    GetShortPathNameW(temporary, temporary, MAX_PATH);
    WCHAR commandLine[actions::kCommandLineSize] = L"";
    if (!actions::AppendCommandPath(commandLine, actions::kCommandLineSize, program) ||
        !actions::AppendCommandText(commandLine, actions::kCommandLineSize, L" ") ||
        !actions::AppendCommandPath(commandLine, actions::kCommandLineSize, temporary) ||
        !actions::RunMaximisedAndWait(commandLine))
        return 0;

    // We did not pump messages while the viewer ran.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    return 1;
}

}  // namespace

int WriteBinaryFile(const WCHAR* path, HGLOBAL block, long size)
{
    package::ScopedFile file(OpenFileW(path, OF_CREATE));
    if (!file.valid())
        return 0;
    SIZE_T count = GlobalSize(block);
    // The length comes from the package as an unsigned 32-bit number.
    DWORD wanted = DWORD(size);
    if (wanted != 0 && wanted < count)
        count = wanted;
    package::ScopedGlobalLock data(block);
    if (data.data() == nullptr)
        return 0;
    if (_lwrite(file.get(), static_cast<LPCCH>(data.data()), UINT(count)) != count)
        return 0;
    return 1;
}

int DisplayDocument(HWND window)
{
    WCHAR directory[MAX_PATH];
    WCHAR temporary[MAX_PATH];
    actions::MakeTempFile(directory, temporary);
    // Only the unique name is wanted; the file is written under a .DOC name.
    DeleteFileW(temporary);
    // Both a temporary name ("QJX3F.TMP") and the fallback ("TEMP$$$.$$$") end
    // in a four-character extension, which ".DOC" replaces.
    memcpy(temporary + lstrlenW(temporary) - 4, L".DOC", sizeof L".DOC");

    int result = ShowDocument(window, temporary, directory);
    DeleteFileW(temporary);
    return result;
}
