// Default saver activation: SYSTEM.INI for the programs that read it, then the
// system settings.
//
// This is where the stub stays ANSI, on purpose: SYSTEM.INI is an ANSI file,
// and what it names is the installed saver's short path inside the Windows
// directory, a folder the system chose and a name saverpack keeps to ASCII.
// Every path a user chose (the installer's own, the temporary folder in their
// profile, Program Files) goes through the wide calls.
#include "actions/default_saver.h"

#include "actions/path_parts.h"

#include <string.h>

int DoSetDefaultSaver(HWND /*window*/, const char* path, int minutes)
{
    // Unsigned, so that no value of minutes can overflow; Windows takes a UINT anyway.
    UINT seconds = UINT(minutes) * 60u;

    // A longer path would be judged on its first 260 characters only.
    if (strnlen(path, MAX_PATH) >= MAX_PATH)
        return 0;
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    // No Windows directory, or one too long for the buffer: nothing lies in it.
    if (length == 0 || length >= MAX_PATH)
        windows[0] = '\0';
    if (!actions::LiesDirectlyIn(path, windows))
        return 0;

    char shortPath[MAX_PATH];
    DWORD shortLength = GetShortPathNameA(path, shortPath, MAX_PATH);
    if (shortLength == 0 || shortLength >= MAX_PATH)
        memcpy(shortPath, path, strlen(path) + 1);

    // The profile entry goes first, so that whoever notices screen saving come on
    // finds the new saver. Only the ini file is updated; nothing is broadcast.
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", shortPath, "SYSTEM.INI");
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE);
    SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, seconds, nullptr, SPIF_UPDATEINIFILE);
    return 1;
}
