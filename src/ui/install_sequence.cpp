// The whole installation, run inside one dispatch of WM_STARTINSTALL: prompt,
// wait box, the saver written into the Windows directory, activation, document,
// done prompt, and the request to close.
#include "ui/install_sequence.h"

#include "actions/default_saver.h"
#include "actions/document.h"
#include "package/installer_state.h"
#include "package/saver_extract.h"
#include "res/resource_ids.h"
#include "ui/dialogs.h"
#include "ui/header_text.h"

#include <stdio.h>
#include <string.h>

namespace {

// The saver's name comes from the package: it must name a file directly in the
// Windows directory, never a path that climbs out of it or a device.
bool IsPlainFileName(const char* name)
{
    if (name[0] == '\0' || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    return strpbrk(name, "\\/:") == nullptr;
}

// The Windows directory, a separator and the saver's name; false if the name is
// not a plain file name or the path does not fit, rather than cut it to a
// different file.
bool BuildDestination(char* path, size_t size)
{
    if (!IsPlainFileName(instscr.szFileName))
        return false;
    UINT length = GetWindowsDirectoryA(path, UINT(size));
    if (length == 0 || length >= size)
        return false;
    const char* separator = path[length - 1] == '\\' ? "" : "\\";
    int written = snprintf(path + length, size - length, "%s%s", separator, instscr.szFileName);
    return written >= 0 && size_t(written) < size - length;
}

// The modeless wait box from its template; NULL if it cannot be made, and the
// installation goes on without it.
HWND ShowWaitBox(HWND window, HGLOBAL* loaded)
{
    HRSRC found = FindResourceA(hInst, "WaitBox", RT_DIALOG);
    *loaded = found ? LoadResource(hInst, found) : nullptr;
    void* dialogTemplate = *loaded ? LockResource(*loaded) : nullptr;
    if (dialogTemplate == nullptr)
        return nullptr;
    HWND box = CreateDialogIndirectParamA(hInst, static_cast<LPCDLGTEMPLATEA>(dialogTemplate), window, WaitProc, 0);
    if (box == nullptr)
        return nullptr;
    char text[MAX_PATH];
    snprintf(text, sizeof text, "Installing %s\r\nPlease wait...", instheader.szTitle);
    ui::SetHeaderDlgItemText(box, IDC_WAIT_TEXT, text);
    // What follows takes no messages until the box is closed again: draw it now,
    // and let the box's own messages through once, which is when Wine puts the
    // drawing on the screen; otherwise it stays an empty frame.
    UpdateWindow(box);
    MSG msg;
    while (PeekMessageA(&msg, box, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    return box;
}

}  // namespace

LRESULT OnStartInstall(HWND window)
{
    int choice = DoInstallPrompt(window);
    // -1 means the prompt could not be shown: nobody agreed to anything.
    if (choice > 0) {
        HGLOBAL waitTemplate = nullptr;
        HWND waitBox = ShowWaitBox(window, &waitTemplate);

        char destination[MAX_PATH];
        bool ok = BuildDestination(destination, sizeof destination) &&
                  WriteSaverFile(destination, spath, scrpos) == 1;
        if (!ok)
            MessageBoxA(window, "There has been an error writing your screen saver.", "Message", MB_ICONINFORMATION);
        if (ok && (choice & kMakeDefaultBit))
            DoSetDefaultSaver(window, destination, choice & kMinutesMask);

        Sleep(1000);  // the wait box stays up long enough to be read
        if (waitBox != nullptr)
            EndDialog(waitBox, 1);
        if (waitTemplate != nullptr)
            FreeResource(waitTemplate);
        if (doc != nullptr)
            DisplayDocument(window);
        DoDonePrompt(window, choice);
    }
    PostMessageA(window, WM_DESTROY, 0, 0);
    return 0;
}
