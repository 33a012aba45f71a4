// Drives the stub from outside during the end-to-end tests. Runs under the same
// Wine prefix as the stub, finds its windows and dialogs, reads their texts and
// presses their buttons. Each command prints one JSON object on standard output.
//
//   e2e_driver window CLASS [TIMEOUT_MS]        wait for a visible top-level window of CLASS
//   e2e_driver dialog PID [TIMEOUT_MS] [--control ID] [--not HWND]
//                                               wait for a visible dialog of process PID (0: of
//                                               any process; with control ID, other than HWND);
//                                               list its controls
//   e2e_driver message-box PID [TIMEOUT_MS]     wait for a message box of PID (0: any); its caption and text
//   e2e_driver windows [PID]                    the visible top-level windows (of PID)
//   e2e_driver text HWND [ID]                   the text of a window or of its control ID
//   e2e_driver wide-text HWND [ID]              the same read with the wide calls, so that
//                                               any script comes through (as \uXXXX escapes)
//   e2e_driver rect HWND                        window and client rectangles
//   e2e_driver fit HWND                         for each control of the dialog HWND, the room its
//                                               text needs in the system's message font: wrapped
//                                               at the control's width, and on one line
//   e2e_driver press HWND ID                    post WM_COMMAND(ID, BN_CLICKED) to HWND
//   e2e_driver close HWND                       post WM_CLOSE to HWND (as Alt+F4 would)
//   e2e_driver click HWND ID                    BM_CLICK on control ID (a check box)
//   e2e_driver set-text HWND ID TEXT            set the text of control ID
//   e2e_driver idle HWND [TIMEOUT_MS]           wait until HWND's thread takes messages
//   e2e_driver wait-gone HWND [TIMEOUT_MS]      wait until HWND is gone or hidden
//   e2e_driver wait-exit PID [TIMEOUT_MS]       wait for process PID to end; its exit code
//   e2e_driver key HWND VK                      post a key press (WM_KEYDOWN, WM_KEYUP) to the
//                                               control that has the focus in HWND's thread
//   e2e_driver focus HWND                       the window that has the focus in HWND's thread
//   e2e_driver saver-settings [ACTIVE SECONDS]  the screen-saver settings (set first when given)
//   e2e_driver long-path PATH                   the long form of PATH, and whether it exists
//   e2e_driver reg-values KEY                   the values of HKLM\KEY, read with the wide calls:
//                                               texts as strings, REG_DWORD as numbers
//   e2e_driver version-info FILE KEY...         FILE's version information as Windows' own reader
//                                               (version.dll) gives it: the binary file and product
//                                               versions, the translations, and each KEY's value in
//                                               the first translation's string table
//   e2e_driver hold PATH [TIMEOUT_MS]           keep PATH open for deleting, as an indexer or a
//                                               virus scanner may, until TIMEOUT_MS have passed
//   e2e_driver run [--env NAME=VALUE]... EXE [ARGS...]
//                                               start EXE with ARGS (joined by blanks, as they are)
//                                               and NAME set to VALUE in its environment, wait for
//                                               it to end, and give its exit code, the classes of
//                                               every top-level window it had meanwhile and the
//                                               milliseconds from start to end
//
// Arguments are read from the UTF-16 command line and taken as UTF-8 within: a
// path in any script reaches the wide calls whole whatever the ANSI code page
// (Wine builds that command line from the Unix one through the Unix locale).
//
// Exit status: 0 done, 1 bad usage, 2 timed out or not found, 3 the operation failed.
#include <windows.h>
#include <shellapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr DWORD kPollMs = 20;
constexpr int kMessageBoxTextId = 0xFFFF;

enum ExitStatus { kDone = 0, kUsage = 1, kTimedOut = 2, kFailed = 3 };

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x80) {
                // ANSI text, handed on byte for byte as code points 0-255.
                char escaped[8];
                snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

// UTF-16 text as a JSON string: every unit outside printable ASCII escaped, so
// that the answer is ASCII whatever the console's code page, and surrogate
// pairs come out as the pairs of escapes JSON expects.
std::string JsonWide(const wchar_t* text, size_t length)
{
    std::string out = "\"";
    for (size_t i = 0; i < length; ++i) {
        unsigned unit = text[i];
        if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\') {
            out += char(unit);
            continue;
        }
        char escaped[8];
        snprintf(escaped, sizeof escaped, "\\u%04x", unit);
        out += escaped;
    }
    return out + "\"";
}

std::wstring WideFromUtf8(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], int(wide.size()))));
    if (!wide.empty())
        wide.pop_back();
    return wide;
}

std::string Utf8FromWide(const wchar_t* text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], size, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

std::string JsonRect(const RECT& r)
{
    char buffer[80];
    snprintf(buffer, sizeof buffer, "[%ld,%ld,%ld,%ld]", long(r.left), long(r.top), long(r.right), long(r.bottom));
    return buffer;
}

std::string Number(unsigned long long value)
{
    char buffer[32];
    snprintf(buffer, sizeof buffer, "%llu", value);
    return buffer;
}

std::string WindowText(HWND hwnd)
{
    // WM_GETTEXT rather than GetWindowText: the latter does not ask another
    // process for the text of its controls.
    char buffer[8192] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return std::string();
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::wstring WideText(HWND hwnd)
{
    wchar_t buffer[8192] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return std::wstring();
    return std::wstring(buffer, wcsnlen(buffer, sizeof buffer / sizeof buffer[0]));
}

std::string WideWindowText(HWND hwnd)
{
    std::wstring text = WideText(hwnd);
    return JsonWide(text.data(), text.size());
}

std::string ClassName(HWND hwnd)
{
    char buffer[256] = "";
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

DWORD ProcessOf(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

std::string DescribeWindow(HWND hwnd)
{
    RECT window = {}, client = {};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    std::string out = "\"hwnd\":" + Number(reinterpret_cast<uintptr_t>(hwnd));
    out += ",\"pid\":" + Number(ProcessOf(hwnd));
    out += ",\"class\":" + JsonString(ClassName(hwnd));
    out += ",\"text\":" + JsonString(WindowText(hwnd));
    out += ",\"rect\":" + JsonRect(window);
    out += ",\"client\":" + JsonRect(client);
    out += ",\"style\":" + Number(DWORD(GetWindowLongA(hwnd, GWL_STYLE)));
    out += ",\"exstyle\":" + Number(DWORD(GetWindowLongA(hwnd, GWL_EXSTYLE)));
    out += ",\"owner\":" + Number(reinterpret_cast<uintptr_t>(GetWindow(hwnd, GW_OWNER)));
    out += ",\"visible\":" + std::string(IsWindowVisible(hwnd) ? "true" : "false");
    return out;
}

std::string DescribeControls(HWND dialog)
{
    std::string out = "[";
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r = {};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (out.size() > 1)
            out += ",";
        out += "{\"hwnd\":" + Number(reinterpret_cast<uintptr_t>(child));
        out += ",\"id\":" + Number(DWORD(GetDlgCtrlID(child)) & 0xFFFF);
        out += ",\"class\":" + JsonString(ClassName(child));
        out += ",\"text\":" + JsonString(WindowText(child));
        out += ",\"wide\":" + WideWindowText(child);
        out += ",\"rect\":" + JsonRect(r);
        out += ",\"style\":" + Number(DWORD(GetWindowLongA(child, GWL_STYLE)));
        out += ",\"exstyle\":" + Number(DWORD(GetWindowLongA(child, GWL_EXSTYLE)));
        out += ",\"visible\":" + std::string(IsWindowVisible(child) ? "true" : "false");
        DWORD_PTR check = 0;
        SendMessageTimeoutA(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
        out += ",\"checked\":" + Number(check) + "}";
    }
    return out + "]";
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

struct DialogFilter {
    DWORD pid = 0;
    int controlId = -1;  // the dialog must have this control
    HWND exclude = nullptr;
};

HWND FindDialog(const DialogFilter& filter)
{
    for (HWND hwnd : TopLevelWindows()) {
        if (!IsWindowVisible(hwnd) || hwnd == filter.exclude || (filter.pid != 0 && ProcessOf(hwnd) != filter.pid))
            continue;
        if (ClassName(hwnd) != "#32770")
            continue;
        if (filter.controlId >= 0 && GetDlgItem(hwnd, filter.controlId) == nullptr)
            continue;
        return hwnd;
    }
    return nullptr;
}

HWND FindWindowOfClass(const std::string& className)
{
    for (HWND hwnd : TopLevelWindows()) {
        if (IsWindowVisible(hwnd) && ClassName(hwnd) == className)
            return hwnd;
    }
    return nullptr;
}

template <typename Find>
HWND WaitFor(DWORD timeoutMs, Find find)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = find();
        if (hwnd != nullptr)
            return hwnd;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(kPollMs);
    }
}

unsigned long ParseNumber(const char* text)
{
    return strtoul(text, nullptr, 0);
}

HWND ParseWindow(const char* text)
{
    return reinterpret_cast<HWND>(uintptr_t(strtoull(text, nullptr, 0)));
}

DWORD TimeoutArg(int argc, char** argv, int index)
{
    return index < argc && argv[index][0] != '-' ? DWORD(ParseNumber(argv[index])) : kDefaultTimeoutMs;
}

int Print(const std::string& json)
{
    printf("{%s}\n", json.c_str());
    fflush(stdout);
    return kDone;
}

int Fail(int status, const char* what)
{
    printf("{\"error\":%s}\n", JsonString(what).c_str());
    fflush(stdout);
    return status;
}

int CommandWindow(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    std::string className = argv[2];
    HWND hwnd = WaitFor(TimeoutArg(argc, argv, 3), [&] { return FindWindowOfClass(className); });
    if (hwnd == nullptr)
        return Fail(kTimedOut, "no such window");
    return Print(DescribeWindow(hwnd));
}

int CommandDialog(int argc, char** argv, bool messageBox)
{
    if (argc < 3)
        return kUsage;
    DialogFilter filter;
    filter.pid = DWORD(ParseNumber(argv[2]));
    DWORD timeout = TimeoutArg(argc, argv, 3);
    for (int i = 3; i + 1 < argc; ++i) {
        if (strcmp(argv[i], "--control") == 0)
            filter.controlId = int(ParseNumber(argv[++i]));
        else if (strcmp(argv[i], "--not") == 0)
            filter.exclude = ParseWindow(argv[++i]);
    }
    if (messageBox)
        filter.controlId = kMessageBoxTextId;
    HWND hwnd = WaitFor(timeout, [&] { return FindDialog(filter); });
    if (hwnd == nullptr)
        return Fail(kTimedOut, messageBox ? "no message box" : "no dialog");
    std::string out = DescribeWindow(hwnd);
    if (messageBox) {
        out += ",\"caption\":" + JsonString(WindowText(hwnd));
        out += ",\"message\":" + JsonString(WindowText(GetDlgItem(hwnd, kMessageBoxTextId)));
    }
    out += ",\"controls\":" + DescribeControls(hwnd);
    return Print(out);
}

int CommandWindows(int argc, char** argv)
{
    DWORD pid = argc > 2 ? DWORD(ParseNumber(argv[2])) : 0;
    std::string list = "\"windows\":[";
    bool first = true;
    for (HWND hwnd : TopLevelWindows()) {
        if (!IsWindowVisible(hwnd) || (pid != 0 && ProcessOf(hwnd) != pid))
            continue;
        list += first ? "{" : ",{";
        list += DescribeWindow(hwnd) + "}";
        first = false;
    }
    return Print(list + "]");
}

HWND ControlArg(int argc, char** argv, int index)
{
    HWND hwnd = ParseWindow(argv[2]);
    return index < argc ? GetDlgItem(hwnd, int(ParseNumber(argv[index]))) : hwnd;
}

int CommandText(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HWND hwnd = ControlArg(argc, argv, 3);
    if (hwnd == nullptr || !IsWindow(hwnd))
        return Fail(kTimedOut, "no such window");
    return Print("\"text\":" + JsonString(WindowText(hwnd)));
}

int CommandWideText(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HWND hwnd = ControlArg(argc, argv, 3);
    if (hwnd == nullptr || !IsWindow(hwnd))
        return Fail(kTimedOut, "no such window");
    return Print("\"text\":" + WideWindowText(hwnd));
}

int CommandRect(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HWND hwnd = ParseWindow(argv[2]);
    if (!IsWindow(hwnd))
        return Fail(kTimedOut, "no such window");
    return Print(DescribeWindow(hwnd));
}

// Font handles do not cross processes: the texts are measured in the font the
// stub gives every control when a translation is active, made here the same way.
int CommandFit(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HWND dialog = ParseWindow(argv[2]);
    if (!IsWindow(dialog))
        return Fail(kTimedOut, "no such window");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return Fail(kFailed, "SystemParametersInfoW failed");
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    std::string out = "\"controls\":[";
    const char* separator = "";
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT client = {};
        GetClientRect(child, &client);
        std::wstring text = WideText(child);
        // A check box's text stands beside its box.
        const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
        const bool checkBox = ClassName(child) == "Button" && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX);
        RECT wrapped = {0, 0, client.right - (checkBox ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0), 0};
        RECT line = {0, 0, 0, 0};
        DrawTextW(dc, text.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        DrawTextW(dc, text.c_str(), -1, &line, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        out += separator + std::string("{\"id\":") + Number(DWORD(GetDlgCtrlID(child)) & 0xFFFF);
        separator = ",";
        out += ",\"class\":" + JsonString(ClassName(child));
        out += ",\"size\":[" + Number(DWORD(client.right)) + "," + Number(DWORD(client.bottom)) + "]";
        out += ",\"wrapped\":[" + Number(DWORD(wrapped.right)) + "," + Number(DWORD(wrapped.bottom)) + "]";
        out += ",\"line\":[" + Number(DWORD(line.right)) + "," + Number(DWORD(line.bottom)) + "]}";
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return Print(out + "]");
}

int CommandPress(int argc, char** argv)
{
    if (argc < 4)
        return kUsage;
    HWND dialog = ParseWindow(argv[2]);
    int id = int(ParseNumber(argv[3]));
    // Posted, never sent: the dialog may answer by opening a modal loop of its own.
    HWND button = GetDlgItem(dialog, id);
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
        return Fail(kFailed, "PostMessage failed");
    return Print("\"pressed\":" + Number(DWORD(id)));
}

int CommandClose(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    if (!PostMessageA(ParseWindow(argv[2]), WM_CLOSE, 0, 0))
        return Fail(kFailed, "PostMessage failed");
    return Print("\"closed\":true");
}

int CommandClick(int argc, char** argv)
{
    if (argc < 4)
        return kUsage;
    HWND control = ControlArg(argc, argv, 3);
    if (control == nullptr)
        return Fail(kTimedOut, "no such control");
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result))
        return Fail(kFailed, "BM_CLICK timed out");
    DWORD_PTR check = 0;
    SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &check);
    return Print("\"checked\":" + Number(check));
}

int CommandSetText(int argc, char** argv)
{
    if (argc < 5)
        return kUsage;
    HWND control = ControlArg(argc, argv, 3);
    if (control == nullptr)
        return Fail(kTimedOut, "no such control");
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG, 5000,
                             &result))
        return Fail(kFailed, "WM_SETTEXT timed out");
    return Print("\"text\":" + JsonString(WindowText(control)));
}

int CommandIdle(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HWND hwnd = ParseWindow(argv[2]);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, 0, TimeoutArg(argc, argv, 3), &result))
        return Fail(kTimedOut, "the window's thread takes no messages");
    return Print("\"idle\":true");
}

int CommandWaitGone(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HWND hwnd = ParseWindow(argv[2]);
    DWORD timeout = TimeoutArg(argc, argv, 3);
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start >= timeout)
            return Fail(kTimedOut, "the window is still there");
        Sleep(kPollMs);
    }
    return Print("\"gone\":true");
}

int CommandWaitExit(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    DWORD pid = DWORD(ParseNumber(argv[2]));
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process == nullptr)
        return Fail(kFailed, "cannot open the process");
    // Tells the caller that the process is held, so it may now be made to end.
    printf("{\"waiting\":%lu}\n", static_cast<unsigned long>(pid));
    fflush(stdout);
    DWORD waited = WaitForSingleObject(process, TimeoutArg(argc, argv, 3));
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0)
        return Fail(kTimedOut, "the process is still running");
    return Print("\"pid\":" + Number(pid) + ",\"exit_code\":" + Number(code));
}

HWND FocusOf(HWND hwnd)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

int CommandFocus(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HWND hwnd = ParseWindow(argv[2]);
    if (!IsWindow(hwnd))
        return Fail(kTimedOut, "no such window");
    return Print("\"focus\":" + Number(reinterpret_cast<uintptr_t>(FocusOf(hwnd))));
}

int CommandKey(int argc, char** argv)
{
    if (argc < 4)
        return kUsage;
    HWND hwnd = ParseWindow(argv[2]);
    UINT key = UINT(ParseNumber(argv[3]));
    if (!IsWindow(hwnd))
        return Fail(kTimedOut, "no such window");
    // Keys go to the focus, as the keyboard would send them; the dialog manager
    // of the target's message loop then turns Esc and Enter into commands.
    HWND target = FocusOf(hwnd);
    if (target == nullptr)
        target = hwnd;
    LPARAM scan = LPARAM(MapVirtualKeyA(key, 0)) << 16;
    if (!PostMessageA(target, WM_KEYDOWN, key, scan | 1))
        return Fail(kFailed, "PostMessage failed");
    // The key press may already have closed the window (Esc in a dialog).
    PostMessageA(target, WM_KEYUP, key, scan | 1 | (LPARAM(3) << 30));
    return Print("\"key\":" + Number(key) + ",\"focus\":" + Number(reinterpret_cast<uintptr_t>(target)));
}

int CommandSaverSettings(int argc, char** argv)
{
    if (argc >= 4) {
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, UINT(ParseNumber(argv[2])), nullptr, SPIF_UPDATEINIFILE);
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, UINT(ParseNumber(argv[3])), nullptr, SPIF_UPDATEINIFILE);
    }
    BOOL active = FALSE;
    UINT seconds = 0;
    if (!SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) ||
        !SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0))
        return Fail(kFailed, "SystemParametersInfo failed");
    return Print("\"active\":" + Number(active ? 1 : 0) + ",\"timeout\":" + Number(seconds));
}

int CommandLongPath(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    const std::wstring path = WideFromUtf8(argv[2]);
    wchar_t longPath[MAX_PATH] = L"";
    DWORD length = GetLongPathNameW(path.c_str(), longPath, MAX_PATH);
    bool exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (length == 0 || length >= MAX_PATH)
        longPath[0] = 0;
    return Print("\"path\":" + JsonWide(longPath, wcslen(longPath)) +
                 ",\"exists\":" + std::string(exists ? "true" : "false"));
}

int CommandRegValues(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(argv[2]).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return Print("\"exists\":false");
    std::string values = "{";
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        BYTE data[4096];
        DWORD nameLength = 256, dataSize = sizeof data - sizeof(wchar_t), type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        values += (values.size() > 1 ? "," : "") + JsonWide(name, nameLength) + ":";
        if (type == REG_DWORD) {
            DWORD number = 0;
            memcpy(&number, data, sizeof number);
            values += Number(number);
        } else {
            values += JsonWide(reinterpret_cast<const wchar_t*>(data),
                               wcsnlen(reinterpret_cast<const wchar_t*>(data), dataSize / sizeof(wchar_t)));
        }
    }
    RegCloseKey(key);
    return Print("\"exists\":true,\"values\":" + values + "}");
}

int CommandHold(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    const DWORD everyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(WideFromUtf8(argv[2]).c_str(), DELETE, everyone, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(kFailed, "cannot open the file");
    printf("{\"held\":true}\n");
    fflush(stdout);
    Sleep(TimeoutArg(argc, argv, 3));
    CloseHandle(file);
    return Print("\"released\":true");
}

int CommandVersionInfo(int argc, char** argv)
{
    if (argc < 3)
        return kUsage;
    DWORD ignored = 0;
    const std::wstring file = WideFromUtf8(argv[2]);
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    WORD* translations = nullptr;
    UINT length = 0, translationBytes = 0;
    if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof *fixed ||
        !VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &translationBytes) ||
        translationBytes < 4)
        return Fail(kFailed, "no version information");
    std::string answer = "\"file\":[" + Number(fixed->dwFileVersionMS) + "," + Number(fixed->dwFileVersionLS) +
                         "],\"product\":[" + Number(fixed->dwProductVersionMS) + "," +
                         Number(fixed->dwProductVersionLS) + "],\"translations\":[";
    for (UINT i = 0; i + 1 < translationBytes / 2; i += 2)
        answer += (i != 0 ? "," : "") + Number(translations[i]) + "," + Number(translations[i + 1]);
    answer += "],\"strings\":{";
    for (int i = 3; i < argc; ++i) {
        char table[9];
        snprintf(table, sizeof table, "%04x%04x", translations[0], translations[1]);
        const std::string path = std::string("\\StringFileInfo\\") + table + "\\" + argv[i];
        std::wstring query(path.begin(), path.end());  // ASCII
        wchar_t* value = nullptr;
        UINT characters = 0;
        if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &characters))
            continue;
        answer += (answer.back() != '{' ? "," : "") + JsonString(argv[i]) + ":" + JsonWide(value, wcslen(value));
    }
    return Print(answer + "}");
}

// Watches the child's windows, hidden ones included, every few milliseconds
// until it ends: a window shown for a moment is still seen.
int CommandRun(int argc, char** argv)
{
    int first = 2;
    // The child inherits our environment: Wine hands a program's Unix
    // environment on only in part (not TEMP or TMP, for one).
    for (; first + 1 < argc && strcmp(argv[first], "--env") == 0; first += 2) {
        const std::string setting = argv[first + 1];
        const size_t equals = setting.find('=');
        if (equals == std::string::npos ||
            !SetEnvironmentVariableW(WideFromUtf8(setting.substr(0, equals)).c_str(),
                                     WideFromUtf8(setting.substr(equals + 1)).c_str()))
            return kUsage;
    }
    if (argc <= first)
        return kUsage;
    std::wstring line = L"\"" + WideFromUtf8(argv[first]) + L"\"";
    for (int i = first + 1; i < argc; ++i)
        line += L" " + WideFromUtf8(argv[i]);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');
    LARGE_INTEGER frequency, started, ended;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return Fail(kFailed, "cannot start the program");
    CloseHandle(child.hThread);
    std::vector<std::string> seen;
    DWORD start = GetTickCount();
    DWORD waited = WAIT_TIMEOUT;
    while (waited == WAIT_TIMEOUT && GetTickCount() - start < 60000) {
        for (HWND hwnd : TopLevelWindows()) {
            if (ProcessOf(hwnd) != child.dwProcessId)
                continue;
            std::string name = ClassName(hwnd);
            if (std::find(seen.begin(), seen.end(), name) == seen.end())
                seen.push_back(name);
        }
        waited = WaitForSingleObject(child.hProcess, 5);
    }
    QueryPerformanceCounter(&ended);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hProcess);
    if (waited != WAIT_OBJECT_0)
        return Fail(kTimedOut, "the program did not end within 60 s");
    std::string classes = "[";
    for (const std::string& name : seen)
        classes += (classes.size() > 1 ? "," : "") + JsonString(name);
    char ms[32];
    snprintf(ms, sizeof ms, "%.1f", double(ended.QuadPart - started.QuadPart) * 1000.0 / double(frequency.QuadPart));
    return Print("\"pid\":" + Number(child.dwProcessId) + ",\"exit_code\":" + Number(code) +
                 ",\"windows\":" + classes + "],\"ms\":" + ms);
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    std::vector<char*> pointers;
    for (std::string& arg : args)
        pointers.push_back(&arg[0]);
    pointers.push_back(nullptr);
    char** argv = pointers.data();
    if (argc < 2) {
        fprintf(stderr, "usage: e2e_driver COMMAND ARGS...\n");
        return kUsage;
    }
    const char* command = argv[1];
    int status = kUsage;
    if (strcmp(command, "window") == 0)
        status = CommandWindow(argc, argv);
    else if (strcmp(command, "dialog") == 0)
        status = CommandDialog(argc, argv, false);
    else if (strcmp(command, "message-box") == 0)
        status = CommandDialog(argc, argv, true);
    else if (strcmp(command, "windows") == 0)
        status = CommandWindows(argc, argv);
    else if (strcmp(command, "text") == 0)
        status = CommandText(argc, argv);
    else if (strcmp(command, "wide-text") == 0)
        status = CommandWideText(argc, argv);
    else if (strcmp(command, "rect") == 0)
        status = CommandRect(argc, argv);
    else if (strcmp(command, "fit") == 0)
        status = CommandFit(argc, argv);
    else if (strcmp(command, "press") == 0)
        status = CommandPress(argc, argv);
    else if (strcmp(command, "close") == 0)
        status = CommandClose(argc, argv);
    else if (strcmp(command, "click") == 0)
        status = CommandClick(argc, argv);
    else if (strcmp(command, "set-text") == 0)
        status = CommandSetText(argc, argv);
    else if (strcmp(command, "idle") == 0)
        status = CommandIdle(argc, argv);
    else if (strcmp(command, "wait-gone") == 0)
        status = CommandWaitGone(argc, argv);
    else if (strcmp(command, "wait-exit") == 0)
        status = CommandWaitExit(argc, argv);
    else if (strcmp(command, "focus") == 0)
        status = CommandFocus(argc, argv);
    else if (strcmp(command, "key") == 0)
        status = CommandKey(argc, argv);
    else if (strcmp(command, "saver-settings") == 0)
        status = CommandSaverSettings(argc, argv);
    else if (strcmp(command, "long-path") == 0)
        status = CommandLongPath(argc, argv);
    else if (strcmp(command, "hold") == 0)
        status = CommandHold(argc, argv);
    else if (strcmp(command, "run") == 0)
        status = CommandRun(argc, argv);
    else if (strcmp(command, "version-info") == 0)
        status = CommandVersionInfo(argc, argv);
    else if (strcmp(command, "reg-values") == 0)
        status = CommandRegValues(argc, argv);
    if (status == kUsage)
        fprintf(stderr, "e2e_driver: bad command or arguments: %s\n", command);
    return status;
}
