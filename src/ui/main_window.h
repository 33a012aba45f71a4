// The stub's only window: full screen, borderless, its background the backdrop.
// It loads the package and runs the message loop until the installation ends.
#pragma once

#include <windows.h>

// Posted once the package is loaded; its handler runs the whole installation.
constexpr UINT WM_STARTINSTALL = WM_USER + 57;

// Receives WinMain's arguments and uses none of them (it works from hInst and
// spath). Runs the installation with the window and returns its exit status;
// a failure when the class or the window cannot be created.
int CreateInstallerWindow(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

LRESULT CALLBACK InstallerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
