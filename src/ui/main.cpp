// The stub's entry point. The exit status is 1 on every path, success included.
#include "package/installer_state.h"
#include "ui/app_globals.h"
#include "ui/main_window.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    hInst = hInstance;
    ClearInstallerRecords();
    CreateInstallerWindow(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
    ExitProcess(1);
}
