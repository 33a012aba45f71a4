// The boxes that stand alone (owned by no window) come before any window exists,
// or in runs that make none: the command line's, and those of removing.
#include "ui/message_boxes.h"

#include <stdio.h>

const char kDamagedMessage[] = "FATAL ERROR\n\nThis installer has been damaged.";
const char kUnreadableMessage[] =
    "FATAL ERROR\n\nThis installer cannot open its own file. Copy it to another folder and try again.";
const char kPathTooLongMessage[] =
    "FATAL ERROR\n\nThis installer cannot open its own file: its path is too long. Move it to a folder with a "
    "shorter path and try again.";

namespace {

const char kCaption[] = "Message";

const char kHelp[] =
    "Installs this screen saver.\n\n"
    "/S\tsilent: shows nothing and asks nothing\n"
    "/NOACTIVATE\tdoes not make it the active screen saver\n"
    "/TIMEOUT=N\ta timeout of N minutes (1 to 99)\n"
    "/UNINSTALL\tremoves it from this computer\n"
    "/?\tshows this message\n\n"
    "Exit status:\n"
    "0\tinstalled, or removed\n"
    "1602\tcancelled\n"
    "1603\tnot installed (or not removed)\n"
    "1620\tthis installer is damaged\n"
    "3010\tremoved; a restart completes it\n"
    "87\ta switch was not understood";

}  // namespace

void ShowMessage(HWND owner, const char* text)
{
    MessageBoxA(owner, text, kCaption, MB_ICONINFORMATION);
}

void ShowSwitchHelp()
{
    ShowMessage(nullptr, kHelp);
}

void ShowUnknownSwitch(const char* argument)
{
    char text[160];
    snprintf(text, sizeof text, "The switch \"%s\" is not understood; nothing was changed.\n\n/? lists the switches.",
             argument);
    ShowMessage(nullptr, text);
}
