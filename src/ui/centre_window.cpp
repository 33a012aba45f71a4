// Centres a window on the primary screen (not on its owner: the owner is the
// full-screen backdrop anyway).
#include "ui/dialogs.h"

void CentreWindow(HWND hwnd)
{
    RECT rc;
    if (!GetWindowRect(hwnd, &rc))
        return;
    int width = rc.right - rc.left;
    int height = rc.bottom - rc.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    // No SWP_NOZORDER / SWP_NOACTIVATE: the dialog also comes to the top, active.
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOSIZE);
}
