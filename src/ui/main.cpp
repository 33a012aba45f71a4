// The stub's entry point. The exit status is 1 on every path, success included.
#include "package/installer_state.h"
#include "ui/common_controls.h"
#include "ui/main_window.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    hInst = hInstance;
    // Before anything else loads a DLL: the install prompt's up-down control
    // comes from the system's comctl32 and nowhere else.
    LoadCommonControls();
    ClearInstallerRecords();
    CreateInstallerWindow(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
    ExitProcess(1);
}
