// There is no WM_PAINT handler: the default WM_PAINT erases the background, and
// the erase paints the backdrop.
#include "ui/main_window.h"

#include "actions/exit_status.h"
#include "package/installer_state.h"
#include "res/resource_ids.h"
#include "ui/app_globals.h"
#include "ui/backdrop.h"
#include "ui/install_sequence.h"
#include "ui/message_boxes.h"
#include "ui/own_package.h"

#include <string.h>

namespace {

const char kClassName[] = "VelquorInstaller";

bool RegisterInstallerClass(const char* className)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = InstallerProc;
    wc.hInstance = hInst;
    wc.hIcon = LoadIconA(hInst, MAKEINTRESOURCEA(IDI_INSTALLER));
    // Fully transparent: the mouse pointer disappears over the backdrop.
    wc.hCursor = LoadCursorA(hInst, MAKEINTRESOURCEA(IDC_INVISIBLE));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = className;
    return RegisterClassA(&wc) != 0;
}

}  // namespace

LRESULT CALLBACK InstallerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_ERASEBKGND:
        PaintBackdrop(hwnd, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_STARTINSTALL:
        return OnStartInstall(hwnd);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int CreateInstallerWindow(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char className[sizeof kClassName];
    strcpy(className, kClassName);
    if (!RegisterInstallerClass(className))
        return actions::kStatusInstallFailure;

    HWND window = CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, hInst, nullptr);
    if (window == nullptr) {
        UnregisterClassA(className, hInst);
        return actions::kStatusInstallFailure;
    }
    hMainWindow = window;

    const unsigned loaded = LoadOwnPackage(window);
    if (loaded == actions::kStatusInstalled) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        PostMessageA(window, WM_STARTINSTALL, 0, 0);
    } else {
        SendMessageA(window, WM_DESTROY, 0, 0);
    }

    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    UnregisterClassA(className, hInst);
    ReleaseInstallerBlocks();
    return int(loaded == actions::kStatusInstalled ? InstallStatus() : loaded);
}
