// Document display: the package's document goes to a temporary .DOC file, whose
// associated program shows it while the stub waits.
#include "actions/document.h"

#include "actions/child_process.h"
#include "actions/command_line.h"
#include "actions/path_parts.h"
#include "actions/temp_file.h"
#include "package/installer_state.h"
#include "package/scoped_handles.h"

#include <shellapi.h>
#include <stdio.h>

namespace {

// FindExecutableA returns a value above this on success, an error code otherwise.
constexpr UINT_PTR kFindExecutableThreshold = 32;

// Writes the document to `temporary` and opens it; the caller removes the file.
int ShowDocument(HWND window, char* temporary, const char* directory)
{
    if (!WriteBinaryFile(temporary, doc, long(instdoc.dwSize)))
        return 0;
    char program[MAX_PATH];
    if (UINT_PTR(FindExecutableA(temporary, directory, program)) <= kFindExecutableThreshold)
        return 0;

    // The short forms have no blanks wherever the file system provides them.
    GetShortPathNameA(program, program, MAX_PATH);
    GetShortPathNameA(temporary, temporary, MAX_PATH);
    char commandLine[actions::kCommandLineSize] = "";
    if (!actions::AppendCommandPath(commandLine, sizeof commandLine, program) ||
        !actions::AppendCommandText(commandLine, sizeof commandLine, " ") ||
        !actions::AppendCommandPath(commandLine, sizeof commandLine, temporary) ||
        !actions::RunMaximisedAndWait(commandLine))
        return 0;

    // We did not pump messages while the viewer ran.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    return 1;
}

}  // namespace

int WriteBinaryFile(const char* path, HGLOBAL block, long size)
{
    package::ScopedFile file(_lcreat(path, 0));
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
    char directory[MAX_PATH];
    char temporary[MAX_PATH];
    actions::MakeTempFile(directory, temporary);
    // Only the unique name is wanted; the file is written under a .DOC name.
    remove(temporary);

    char drive[actions::kPathPartSize];
    char folder[actions::kPathPartSize];
    char name[actions::kPathPartSize];
    actions::SplitPath(temporary, drive, folder, name, nullptr);
    if (!actions::JoinPath(temporary, sizeof temporary, drive, folder, name, ".DOC"))
        return 0;

    int result = ShowDocument(window, temporary, directory);
    remove(temporary);
    return result;
}
