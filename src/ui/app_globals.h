// Process-wide state owned by start-up and read by the actions and dialogs.
#pragma once

#include <windows.h>

extern HINSTANCE hInst;
extern HWND hMainWindow;
extern char spath[MAX_PATH];  // full path of this program's own executable
