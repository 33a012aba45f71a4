// Preview: the saver runs from a temporary file in screen-saver mode while the
// stub waits for it.
#include "actions/preview.h"

#include "actions/child_process.h"
#include "actions/command_line.h"
#include "actions/message_text.h"
#include "actions/temp_file.h"
#include "package/installer_state.h"
#include "package/saver_extract.h"
#include "res/resource_ids.h"

namespace {

// A saver ends at the first input it sees: give the hand that just clicked
// Preview a moment to come to rest.
constexpr DWORD kPreviewPauseMs = 1000;

// Writes the saver to a temporary file, whose name goes to `temporary`, and runs it.
int RunSaver(HWND window, WCHAR* temporary)
{
    WCHAR directory[MAX_PATH];
    actions::MakeTempFile(directory, temporary);
    if (!WriteSaverFile(temporary, spath, scrpos)) {
        actions::ShowMessageText(window, package::kMsgPreviewWriteError, MB_ICONINFORMATION);
        return 0;
    }

    // The saver draws the whole screen; our pointer must not sit on top of it.
    SetCursor(LoadCursorA(hInst, MAKEINTRESOURCEA(IDC_INVISIBLE)));
    // The short form has no blanks wherever the file system provides one, and
    // only letters the code page can spell: a saver that reads its command line
    // in ANSI finds itself too.
    GetShortPathNameW(temporary, temporary, MAX_PATH);

    // A bare name (the fallback in the current directory) would be looked for in
    // the stub's own directory first, where a stale file of that name could run
    // instead of the saver just written: pin it to the current directory.
    bool bare = true;
    for (const WCHAR* p = temporary; *p != 0; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':')
            bare = false;
    }
    WCHAR program[MAX_PATH + 2] = L"";
    WCHAR commandLine[actions::kCommandLineSize] = L"";
    if (!actions::AppendCommandText(program, MAX_PATH + 2, bare ? L".\\" : L"") ||
        !actions::AppendCommandText(program, MAX_PATH + 2, temporary) ||
        !actions::AppendCommandPath(commandLine, actions::kCommandLineSize, program) ||
        !actions::AppendCommandText(commandLine, actions::kCommandLineSize, L" /S") ||
        !actions::RunMaximisedAndWait(commandLine)) {
        actions::ShowMessageText(window, package::kMsgPreviewProcessError, MB_ICONINFORMATION);
        return 0;
    }
    // We did not pump messages while the saver ran.
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    return 1;
}

}  // namespace

int DoPreview(HWND window)
{
    // Tell the system a saver is running, so that it does not start the
    // installed one on top of the preview.
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
    Sleep(kPreviewPauseMs);

    WCHAR temporary[MAX_PATH] = L"";
    int result = RunSaver(window, temporary);

    if (temporary[0] != 0)
        DeleteFileW(temporary);
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return result;
}
