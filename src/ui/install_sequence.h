// The installation, run inside one dispatch of WM_STARTINSTALL.
#pragma once

#include <windows.h>

// Handles WM_STARTINSTALL for the main window; returns the message's result, 0.
LRESULT OnStartInstall(HWND window);
