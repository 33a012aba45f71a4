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

#include <stdio.h>
#include <string.h>

namespace {

// A saver ends at the first input it sees: give the hand that just clicked
// Preview a moment to come to rest.
constexpr DWORD kPreviewPauseMs = 1000;

// Writes the saver to a temporary file, whose name goes to `temporary`, and runs it.
int RunSaver(HWND window, char* temporary)
{
    char directory[MAX_PATH];
    actions::MakeTempFile(directory, temporary);
    if (!WriteSaverFile(temporary, spath, scrpos)) {
        actions::ShowMessageText(window, package::kMsgPreviewWriteError, MB_ICONINFORMATION);
        return 0;
    }

    // The saver draws the whole screen; our pointer must not sit on top of it.
    SetCursor(LoadCursorA(hInst, MAKEINTRESOURCEA(IDC_INVISIBLE)));
    // The short form has no blanks wherever the file system provides one.
    GetShortPathNameA(temporary, temporary, MAX_PATH);

    // A bare name (the fallback in the current directory) would be looked for in
    // the stub's own directory first, where a stale file of that name could run
    // instead of the saver just written: pin it to the current directory.
    char program[MAX_PATH];
    const char* pin = strpbrk(temporary, "\\/:") != nullptr ? "" : ".\\";
    if (snprintf(program, sizeof program, "%s%s", pin, temporary) >= int(sizeof program))
        program[0] = '\0';

    char commandLine[actions::kCommandLineSize] = "";
    if (program[0] == '\0' || !actions::AppendCommandPath(commandLine, sizeof commandLine, program) ||
        !actions::AppendCommandText(commandLine, sizeof commandLine, " /S") ||
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

    char temporary[MAX_PATH] = "";
    int result = RunSaver(window, temporary);

    if (temporary[0] != '\0')
        remove(temporary);
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return result;
}
