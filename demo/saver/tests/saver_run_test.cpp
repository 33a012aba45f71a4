// Runs the real demosaver.scr under Windows (Wine in our tests) and drives it
// the way the system does: by its command line and by window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

namespace {

const char kSaverClass[] = "DemoSaverWindow";
const DWORD kPatienceMs = 10000;

// The build hands us a Unix path; Wine maps the root to drive Z:.
void SaverPath(char* path, size_t size)
{
    snprintf(path, size, "Z:%s", DEMO_SAVER_PATH);
    for (char* p = path; *p != '\0'; ++p) {
        if (*p == '/')
            *p = '\\';
    }
}

// Keeps our own windows answering while we wait: the saver may send to them.
void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

class SaverProcess {
public:
    ~SaverProcess()
    {
        if (info_.hProcess != nullptr) {
            if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(info_.hProcess, 99);
            CloseHandle(info_.hProcess);
            CloseHandle(info_.hThread);
        }
    }

    bool Start(const char* arguments)
    {
        char path[MAX_PATH];
        SaverPath(path, sizeof path);
        char commandLine[MAX_PATH + 64];
        snprintf(commandLine, sizeof commandLine, "\"%s\" %s", path, arguments);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info_) != 0;
    }

    // Waits, pumping, for the process to end; returns its exit code or -1.
    long WaitForExit(DWORD ms)
    {
        DWORD start = GetTickCount();
        while (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            if (GetTickCount() - start > ms)
                return -1;
            PumpFor(20);
        }
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return long(code);
    }

    bool IsRunning() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (owner == search->processId && strcmp(name, search->className) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopWindowNow(DWORD processId, const char* className)
{
    WindowSearch search = {processId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopWindow(DWORD processId, const char* className)
{
    DWORD start = GetTickCount();
    do {
        if (HWND found = FindTopWindowNow(processId, className))
            return found;
        PumpFor(50);
    } while (GetTickCount() - start < kPatienceMs);
    return nullptr;
}

HWND FindChildWindow(HWND host)
{
    DWORD start = GetTickCount();
    do {
        HWND child = FindWindowExA(host, nullptr, kSaverClass, nullptr);
        if (child != nullptr)
            return child;
        PumpFor(50);
    } while (GetTickCount() - start < kPatienceMs);
    return nullptr;
}

TEST(DemoSaverRun, ScreenModeCoversThePrimaryScreenOnTop)
{
    for (const char* arguments : {"/S", "/s", ""}) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(arguments));
        HWND window = FindTopWindow(saver.id(), kSaverClass);
        ASSERT_NE(window, nullptr) << "[" << arguments << "]";
        RECT rc;
        GetWindowRect(window, &rc);
        EXPECT_EQ(rc.left, 0);
        EXPECT_EQ(rc.top, 0);
        EXPECT_EQ(rc.right, GetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(rc.bottom, GetSystemMetrics(SM_CYSCREEN));
        EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_POPUP);
        EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(saver.WaitForExit(kPatienceMs), 0) << "[" << arguments << "]";
    }
}

TEST(DemoSaverRun, ScreenModeEndsOnAKeyOrAClick)
{
    const UINT wakers[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    for (UINT message : wakers) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start("/s"));
        HWND window = FindTopWindow(saver.id(), kSaverClass);
        ASSERT_NE(window, nullptr);
        PumpFor(200);
        ASSERT_TRUE(saver.IsRunning()) << "message " << message;
        PostMessageA(window, message, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(saver.WaitForExit(kPatienceMs), 0) << "message " << message;
    }
}

TEST(DemoSaverRun, ScreenModeSurvivesJitterButEndsOnARealMove)
{
    SaverProcess saver;
    ASSERT_TRUE(saver.Start("/S"));
    HWND window = FindTopWindow(saver.id(), kSaverClass);
    ASSERT_NE(window, nullptr);
    // Any move the system makes up itself reports where the cursor already is, so
    // ours start there too.
    POINT cursor;
    GetCursorPos(&cursor);
    for (int i = 0; i < 6; ++i)
        PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    const int jitter[][2] = {{2, 0}, {0, 3}, {-3, -2}, {1, 1}, {4, -4}};
    for (const auto& j : jitter)
        PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x + j[0], cursor.y + j[1]));
    PumpFor(500);
    ASSERT_TRUE(saver.IsRunning()) << "a few pixels of jitter ended the saver";
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x + 120, cursor.y + 80));
    EXPECT_EQ(saver.WaitForExit(kPatienceMs), 0);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

// Stands in for the little monitor of the Screen Saver settings page.
class PreviewHost {
public:
    PreviewHost()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DemoSaverTestHost";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "host", WS_OVERLAPPED | WS_VISIBLE, 10, 10, 200, 160,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~PreviewHost() { Destroy(); }
    void Destroy()
    {
        if (window_ != nullptr)
            DestroyWindow(window_);
        window_ = nullptr;
    }
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

TEST(DemoSaverRun, PreviewFillsItsHostAndEndsWithIt)
{
    for (const char* form : {"/p %lu", "/P:%lu", "/p 0x%lx"}) {
        PreviewHost host;
        ASSERT_NE(host.get(), nullptr);
        char arguments[64];
        snprintf(arguments, sizeof arguments, form, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(host.get())));
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(arguments));
        HWND child = FindChildWindow(host.get());
        ASSERT_NE(child, nullptr) << arguments;
        DWORD owner = 0;
        GetWindowThreadProcessId(child, &owner);
        EXPECT_EQ(owner, saver.id());
        RECT hostRect, childRect;
        GetClientRect(host.get(), &hostRect);
        GetClientRect(child, &childRect);
        EXPECT_EQ(childRect.right, hostRect.right);
        EXPECT_EQ(childRect.bottom, hostRect.bottom);
        EXPECT_FALSE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TOPMOST);
        // The preview ignores the user: a key meant for the settings page is no wake-up.
        PostMessageA(child, WM_KEYDOWN, VK_SPACE, 0);
        PumpFor(300);
        ASSERT_TRUE(saver.IsRunning()) << arguments;
        host.Destroy();
        EXPECT_EQ(saver.WaitForExit(kPatienceMs), 0) << arguments;
    }
}

TEST(DemoSaverRun, PreviewFollowsItsHostsSize)
{
    PreviewHost host;
    char arguments[64];
    snprintf(arguments, sizeof arguments, "/p %lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(host.get())));
    SaverProcess saver;
    ASSERT_TRUE(saver.Start(arguments));
    HWND child = FindChildWindow(host.get());
    ASSERT_NE(child, nullptr);
    SetWindowPos(host.get(), nullptr, 0, 0, 320, 260, SWP_NOMOVE | SWP_NOZORDER);
    RECT hostRect, childRect;
    GetClientRect(host.get(), &hostRect);
    DWORD start = GetTickCount();
    do {
        PumpFor(50);
        GetClientRect(child, &childRect);
    } while (childRect.right != hostRect.right && GetTickCount() - start < kPatienceMs);
    EXPECT_EQ(childRect.right, hostRect.right);
    EXPECT_EQ(childRect.bottom, hostRect.bottom);
}

TEST(DemoSaverRun, UnusableLinesEndAtOnceWithoutAWindow)
{
    // 0xFFFFFFF0 is a well-formed handle that names no window.
    for (const char* arguments : {"/p", "/p 0", "/p 0xFFFFFFF0", "/p:nonsense", "/x", "/s extra"}) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(arguments));
        EXPECT_EQ(saver.WaitForExit(kPatienceMs), 1) << "[" << arguments << "]";
    }
}

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (owner == search->processId && strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

TEST(DemoSaverRun, SettingsSayThereIsNothingToConfigure)
{
    PreviewHost owner;
    char withOwner[64];
    snprintf(withOwner, sizeof withOwner, "/c:%lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(owner.get())));
    const char* const lines[] = {"/c", withOwner};
    for (const char* arguments : lines) {
        SaverProcess saver;
        ASSERT_TRUE(saver.Start(arguments));
        DialogSearch search = {saver.id(), nullptr};
        DWORD start = GetTickCount();
        while (search.found == nullptr && GetTickCount() - start < kPatienceMs) {
            PumpFor(50);
            EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        }
        ASSERT_NE(search.found, nullptr) << arguments;
        char text[256] = "";
        GetDlgItemTextA(search.found, 0xFFFF, text, sizeof text);
        EXPECT_NE(strstr(text, "nothing to configure"), nullptr) << text;
        EXPECT_EQ(FindTopWindowNow(saver.id(), kSaverClass), nullptr) << "settings must not start the saver";
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(saver.WaitForExit(kPatienceMs), 0) << arguments;
    }
}

}  // namespace
