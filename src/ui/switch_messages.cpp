// Both boxes stand alone: the command line is read before any window exists.
#include "ui/switch_messages.h"

#include <windows.h>
#include <stdio.h>

namespace {

const char kHelp[] =
    "Installs this screen saver.\n\n"
    "/S\tsilent: shows nothing and asks nothing\n"
    "/NOACTIVATE\tdoes not make it the active screen saver\n"
    "/TIMEOUT=N\ta timeout of N minutes (1 to 99)\n"
    "/?\tshows this message\n\n"
    "Exit status:\n"
    "0\tinstalled\n"
    "1602\tcancelled\n"
    "1603\tnot installed: it could not be written\n"
    "1620\tthis installer is damaged\n"
    "87\ta switch was not understood";

}  // namespace

void ShowSwitchHelp()
{
    MessageBoxA(nullptr, kHelp, "Message", MB_ICONINFORMATION);
}

void ShowUnknownSwitch(const char* argument)
{
    char text[160];
    snprintf(text, sizeof text, "The switch \"%s\" is not understood; nothing was installed.\n\n/? lists the switches.",
             argument);
    MessageBoxA(nullptr, text, "Message", MB_ICONINFORMATION);
}
