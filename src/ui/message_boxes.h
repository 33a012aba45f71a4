// The stub's boxes shown before its package is verified, and so in English:
// captioned "Message", as every box of the stub is.
#pragma once

#include <windows.h>

extern const char kDamagedMessage[];
// The installer cannot open its own file: not damaged, and said so.
extern const char kUnreadableMessage[];
extern const char kPathTooLongMessage[];

// A box with the information icon and OK.
void ShowMessage(HWND owner, const char* text);

// "/?": the switches and the exit statuses.
void ShowSwitchHelp();

// Names the argument that was not understood.
void ShowUnknownSwitch(const char* argument);
