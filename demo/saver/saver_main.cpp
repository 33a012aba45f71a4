// Entry point of the demo screen saver: reads the mode Windows asks for, then
// either covers the primary screen, draws into the preview window it is given, or
// says that there is nothing to configure.
#include "animation.h"
#include "saver_args.h"

#include <windows.h>
#include <windowsx.h>

namespace {

const char kClassName[] = "DemoSaverWindow";
const char kSaverName[] = "Demo Saver";
const UINT_PTR kFrameTimer = 1;
// About sixty frames a second; the system rounds to its own timer tick anyway.
const UINT kFrameMs = 16;

// A memory bitmap the size of the window: each frame is drawn there and copied to
// the screen in one BitBlt, so nothing half-drawn is ever seen.
class BackBuffer {
public:
    BackBuffer() = default;
    ~BackBuffer() { Release(); }
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;

    HDC Prepare(HDC screen, int width, int height)
    {
        if (dc_ != nullptr && width == width_ && height == height_)
            return dc_;
        Release();
        dc_ = CreateCompatibleDC(screen);
        if (dc_ == nullptr)
            return nullptr;
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        if (bitmap_ == nullptr) {
            Release();
            return nullptr;
        }
        old_ = SelectObject(dc_, bitmap_);
        width_ = width;
        height_ = height;
        return dc_;
    }

    void Release()
    {
        if (dc_ != nullptr) {
            if (old_ != nullptr)
                SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
        if (bitmap_ != nullptr)
            DeleteObject(bitmap_);
        dc_ = nullptr;
        bitmap_ = nullptr;
        old_ = nullptr;
        width_ = height_ = 0;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

struct SaverState {
    SaverMode mode = SaverMode::Screen;
    HWND host = nullptr;  // the preview's parent, owned by someone else
    OrbField scene;
    BackBuffer buffer;
    WakeFilter wake;
    DWORD lastTick = 0;
};

SaverState state;

void RequestClose(HWND window)
{
    // Posted, so that the message that woke us is finished before the window goes.
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void OnFrame(HWND window)
{
    if (state.mode == SaverMode::Preview) {
        // The host may go without our child being told (it lives in another
        // process); and it may be resized under us.
        if (!IsWindow(state.host)) {
            DestroyWindow(window);
            return;
        }
        RECT host, own;
        GetClientRect(state.host, &host);
        GetClientRect(window, &own);
        if (host.right != own.right || host.bottom != own.bottom)
            MoveWindow(window, 0, 0, host.right, host.bottom, FALSE);
    }
    DWORD now = GetTickCount();
    state.scene.Advance(now - state.lastTick);
    state.lastTick = now;
    InvalidateRect(window, nullptr, FALSE);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc == nullptr)
        return;
    RECT rc;
    GetClientRect(window, &rc);
    HDC frame = state.buffer.Prepare(dc, rc.right, rc.bottom);
    if (frame != nullptr) {
        state.scene.Draw(frame);
        BitBlt(dc, 0, 0, rc.right, rc.bottom, frame, 0, 0, SRCCOPY);
    }
    EndPaint(window, &ps);
}

// What wakes a full-screen saver; the preview ignores the user entirely.
bool HandleWakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return true;
    case WM_MOUSEMOVE:
        if (state.wake.IsRealMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
            RequestClose(window);
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        RequestClose(window);
        return true;
    case WM_ACTIVATEAPP:
        if (wParam == FALSE)
            RequestClose(window);
        return false;
    case WM_SYSCOMMAND:
        // A running saver must not have the system start another one.
        return (wParam & 0xFFF0) == SC_SCREENSAVE;
    default:
        return false;
    }
}

LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (state.mode == SaverMode::Screen && HandleWakeMessage(window, message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_CREATE:
        state.lastTick = GetTickCount();
        state.scene.Reset(state.lastTick);
        SetTimer(window, kFrameTimer, kFrameMs, nullptr);
        return 0;
    case WM_SIZE:
        state.scene.Resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kFrameTimer)
            OnFrame(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // every frame covers the whole window
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, kFrameTimer);
        state.buffer.Release();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterSaverClass(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

HWND CreateScreenWindow(HINSTANCE instance)
{
    return CreateWindowExA(WS_EX_TOPMOST, kClassName, kSaverName, WS_POPUP | WS_VISIBLE, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                           nullptr, instance, nullptr);
}

HWND CreatePreviewWindow(HINSTANCE instance, HWND host)
{
    RECT rc;
    if (!GetClientRect(host, &rc))
        return nullptr;
    // No WM_PARENTNOTIFY: the host belongs to another process, and a message sent
    // there would wait for it.
    return CreateWindowExA(WS_EX_NOPARENTNOTIFY, kClassName, kSaverName, WS_CHILD | WS_VISIBLE, 0, 0,
                           rc.right, rc.bottom, host, nullptr, instance, nullptr);
}

int ShowSettings(const SaverArgs& args)
{
    HWND owner = args.hasWindow ? reinterpret_cast<HWND>(uintptr_t(args.window)) : nullptr;
    if (owner != nullptr && !IsWindow(owner))
        owner = nullptr;
    MessageBoxA(owner,
                "Demo Saver lets soft orbs of light drift across the screen.\n\n"
                "There is nothing to configure.",
                kSaverName, MB_OK | MB_ICONINFORMATION);
    return 0;
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    SaverArgs args;
    if (!ParseSaverArgs(commandLine, &args))
        return 1;
    if (args.mode == SaverMode::Configure)
        return ShowSettings(args);

    state.mode = args.mode;
    if (args.mode == SaverMode::Preview) {
        state.host = reinterpret_cast<HWND>(uintptr_t(args.window));
        if (!IsWindow(state.host))
            return 1;
    }
    if (!RegisterSaverClass(instance))
        return 1;
    HWND window = args.mode == SaverMode::Preview ? CreatePreviewWindow(instance, state.host)
                                                  : CreateScreenWindow(instance);
    if (window == nullptr)
        return 1;
    if (args.mode == SaverMode::Screen)
        SetCursor(nullptr);
    return RunMessageLoop();
}
