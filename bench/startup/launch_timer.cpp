// Times a program's start-up from inside Wine: starts it, watches the screen
// until the window that counts as "started" is visible, prints the time and ends
// the program. The clock starts just before CreateProcess, so the timer's own
// start (itself a Wine process start) is never part of the figure.
//
//   launch_timer [--timeout MS] [--poll MS] CONDITION -- PROGRAM [ARGS...]
//
//   CONDITION   --window-class CLASS        a visible top-level window of CLASS
//               --dialog-control ID[=TEXT]  a visible dialog (#32770) that has
//                                           control ID, whose text is TEXT when
//                                           given; may be repeated, all must hold
//
// Only windows of the started process count. Prints one JSON object:
//   {"ms":..., "first_window_ms":..., "pid":..., "hwnd":..., "polls":...}
// where first_window_ms is when the process first had any visible top-level window.
// Exit status: 0 found, 1 bad usage, 2 timed out, 3 the program ended first,
// 4 the program could not be started. The program is ended on every path.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultTimeoutMs = 20000;
constexpr DWORD kDefaultPollMs = 5;
constexpr DWORD kEndWaitMs = 10000;
constexpr char kDialogClass[] = "#32770";

enum ExitStatus { kFound = 0, kUsage = 1, kTimedOut = 2, kEnded = 3, kNotStarted = 4 };

struct ControlRule {
    int id = 0;
    bool checkText = false;
    std::string text;
};

struct Condition {
    std::string windowClass;            // empty: look for a dialog instead
    std::vector<ControlRule> controls;  // what the dialog must hold
};

// Owns the started program: ends it (if it still runs) and closes its handles.
class ScopedChild {
public:
    ScopedChild() = default;
    ~ScopedChild()
    {
        if (info_.hProcess == nullptr)
            return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, kEndWaitMs);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    ScopedChild(const ScopedChild&) = delete;
    ScopedChild& operator=(const ScopedChild&) = delete;

    PROCESS_INFORMATION* out() { return &info_; }
    HANDLE process() const { return info_.hProcess; }
    DWORD pid() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};

class Stopwatch {
public:
    Stopwatch()
    {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double Ms() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return double(now.QuadPart - start_.QuadPart) * 1000.0 / double(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
};

// The rules of quoting that CommandLineToArgvW and the C runtime undo.
std::string QuoteArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

std::string ClassName(HWND hwnd)
{
    char buffer[256] = "";
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

// GetWindowText, not WM_GETTEXT: for another process's window it reads the text
// Windows keeps for it, and never waits on a program that is still starting.
std::string StoredText(HWND hwnd)
{
    char buffer[512] = "";
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

bool Matches(HWND hwnd, const Condition& condition)
{
    if (!condition.windowClass.empty())
        return ClassName(hwnd) == condition.windowClass;
    if (ClassName(hwnd) != kDialogClass)
        return false;
    for (const ControlRule& rule : condition.controls) {
        HWND control = GetDlgItem(hwnd, rule.id);
        if (control == nullptr)
            return false;
        if (rule.checkText && StoredText(control) != rule.text)
            return false;
    }
    return true;
}

struct Search {
    DWORD pid = 0;
    const Condition* condition = nullptr;
    bool anyVisible = false;
    HWND found = nullptr;
};

BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM param)
{
    Search& search = *reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search.pid || !IsWindowVisible(hwnd))
        return TRUE;
    search.anyVisible = true;
    if (!Matches(hwnd, *search.condition))
        return TRUE;
    search.found = hwnd;
    return FALSE;
}

int PrintError(const char* what, double ms, long exitCode, int status)
{
    printf("{\"error\":\"%s\",\"ms\":%.3f,\"exit_code\":%ld}\n", what, ms, exitCode);
    fflush(stdout);
    return status;
}

bool ParseControlRule(const char* text, ControlRule* rule)
{
    char* end = nullptr;
    long id = strtol(text, &end, 0);
    if (end == text || id < 0 || id > 0xFFFF || (*end != '\0' && *end != '='))
        return false;
    rule->id = int(id);
    rule->checkText = *end == '=';
    rule->text = rule->checkText ? end + 1 : "";
    return true;
}

int Usage()
{
    fprintf(stderr,
            "usage: launch_timer [--timeout MS] [--poll MS] (--window-class CLASS | --dialog-control ID[=TEXT]...)"
            " -- PROGRAM [ARGS...]\n");
    return kUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    DWORD timeoutMs = kDefaultTimeoutMs;
    DWORD pollMs = kDefaultPollMs;
    Condition condition;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (i + 1 >= argc)
            return Usage();
        if (strcmp(argv[i], "--timeout") == 0) {
            timeoutMs = DWORD(strtoul(argv[++i], nullptr, 0));
        } else if (strcmp(argv[i], "--poll") == 0) {
            pollMs = DWORD(strtoul(argv[++i], nullptr, 0));
        } else if (strcmp(argv[i], "--window-class") == 0) {
            condition.windowClass = argv[++i];
        } else if (strcmp(argv[i], "--dialog-control") == 0) {
            ControlRule rule;
            if (!ParseControlRule(argv[++i], &rule))
                return Usage();
            condition.controls.push_back(rule);
        } else {
            return Usage();
        }
    }
    // Exactly one kind of condition, and a program to start.
    if (condition.windowClass.empty() == condition.controls.empty() || i + 1 >= argc)
        return Usage();
    std::string commandLine;
    for (int arg = i + 1; arg < argc; ++arg)
        commandLine += (commandLine.empty() ? "" : " ") + QuoteArgument(argv[arg]);
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    ScopedChild child;
    Stopwatch clock;
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        child.out()))
        return PrintError("cannot start the program", clock.Ms(), long(GetLastError()), kNotStarted);

    Search search;
    search.pid = child.pid();
    search.condition = &condition;
    double firstWindowMs = -1.0;
    unsigned long polls = 0;
    for (;;) {
        ++polls;
        EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
        double ms = clock.Ms();
        if (search.anyVisible && firstWindowMs < 0.0)
            firstWindowMs = ms;
        if (search.found != nullptr) {
            printf("{\"ms\":%.3f,\"first_window_ms\":%.3f,\"pid\":%lu,\"hwnd\":%lu,\"polls\":%lu}\n", ms,
                   firstWindowMs, static_cast<unsigned long>(search.pid),
                   static_cast<unsigned long>(reinterpret_cast<uintptr_t>(search.found)), polls);
            fflush(stdout);
            return kFound;
        }
        if (ms >= double(timeoutMs))
            return PrintError("timed out", ms, -1, kTimedOut);
        // Waiting on the process rather than sleeping notices a program that
        // ends without ever showing the window, at once.
        if (WaitForSingleObject(child.process(), pollMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(child.process(), &code);
            return PrintError("the program ended first", clock.Ms(), long(code), kEnded);
        }
    }
}
