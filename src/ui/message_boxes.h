// The stub's message boxes: captioned "Message", as every box of the stub is.
#pragma once

#include <windows.h>

extern const char kDamagedMessage[];
// The installer cannot open its own file: not damaged, and said so.
extern const char kUnreadableMessage[];
extern const char kPathTooLongMessage[];

// A box with the information icon and OK.
void ShowMessage(HWND owner, const char* text);

// A box owned by no window whose text was formatted around the header's title:
// shown through the wide call when the header's texts are UTF-8. Returns the
// button pressed.
int ShowTitleMessage(const char* text, UINT type);

// "/?": the switches and the exit statuses.
void ShowSwitchHelp();

// Names the argument that was not understood.
void ShowUnknownSwitch(const char* argument);
