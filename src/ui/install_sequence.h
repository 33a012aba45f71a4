// The installation: run inside one dispatch of WM_STARTINSTALL with the window
// and its dialogs, or silently without either.
#pragma once

#include <windows.h>

// Handles WM_STARTINSTALL for the main window; returns the message's result, 0.
LRESULT OnStartInstall(HWND window);

// How the installation that OnStartInstall ran ended, as an exit status; a
// failure until it has run to its end.
unsigned InstallStatus();

// A silent run (/S): loads the package and installs as Install would, with the
// package's or the command line's choices, showing nothing; returns the exit status.
unsigned RunSilentInstall();
