// Windows helpers of the actions' tests.
#include "action_test_support.h"

#include <string.h>

#include <algorithm>
#include <fstream>

namespace actiontest {

std::string ProbePath()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + "action_probe.exe";
}

ProbeReport ReadProbeReport(const std::string& path)
{
    ProbeReport report;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            report[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return report;
}

std::vector<std::string> ListDirectory(const std::string& path)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::string LongPath(const std::string& path)
{
    char buffer[MAX_PATH];
    DWORD length = GetLongPathNameA(path.c_str(), buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "";
    return std::string(buffer, length);
}

bool SamePathIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), int(a.size()),
                                                  b.c_str(), int(b.size())) == CSTR_EQUAL;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : name_(name)
{
    char old[32768];
    DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
    hadOld_ = length > 0 && length < sizeof old;
    if (hadOld_)
        old_.assign(old, length);
    SetEnvironmentVariableA(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    SetEnvironmentVariableA(name_.c_str(), hadOld_ ? old_.c_str() : nullptr);
}

ScopedTempDirectory::ScopedTempDirectory(const std::string& directory)
    : tmp_("TMP", directory.c_str()), temp_("TEMP", directory.c_str())
{
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& directory)
{
    GetCurrentDirectoryA(MAX_PATH, old_);
    SetCurrentDirectoryA(directory.c_str());
}

ScopedCurrentDirectory::~ScopedCurrentDirectory()
{
    SetCurrentDirectoryA(old_);
}

namespace {

constexpr char kTestClass[] = "SaverStubTestDocument";

bool ReadDefaultValue(const char* key, std::string* value)
{
    char buffer[MAX_PATH];
    LONG size = sizeof buffer;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key, buffer, &size) != ERROR_SUCCESS)
        return false;
    *value = buffer;
    return true;
}

}  // namespace

ScopedDocAssociation::ScopedDocAssociation(const std::string& command)
{
    hadClass_ = ReadDefaultValue(".doc", &oldClass_);
    if (command.empty()) {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".doc");
        return;
    }
    RegSetValueA(HKEY_CLASSES_ROOT, ".doc", REG_SZ, kTestClass, 0);
    std::string commandKey = std::string(kTestClass) + "\\shell\\open\\command";
    RegSetValueA(HKEY_CLASSES_ROOT, commandKey.c_str(), REG_SZ, command.c_str(), 0);
}

ScopedDocAssociation::~ScopedDocAssociation()
{
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kTestClass);
    if (hadClass_)
        RegSetValueA(HKEY_CLASSES_ROOT, ".doc", REG_SZ, oldClass_.c_str(), 0);
    else
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".doc");
}

ScopedBlock::ScopedBlock(const std::vector<uint8_t>& bytes) : block_(GlobalAlloc(GMEM_MOVEABLE, bytes.size()))
{
    void* data = GlobalLock(block_);
    std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(data));
    GlobalUnlock(block_);
}

ScopedBlock::~ScopedBlock()
{
    GlobalFree(block_);
}

namespace {

int paintCount = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    ++paintCount;
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace

CountingWindow::CountingWindow()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = CountingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ActionTestWindow";
        registered = RegisterClassA(&windowClass) != 0;
    }
    window_ = CreateWindowA("ActionTestWindow", "Action test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    // Let the first paint happen now, so that a later one is the action's.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
    if (window_ != nullptr)
        ValidateRect(window_, nullptr);
}

CountingWindow::~CountingWindow()
{
    if (window_ != nullptr)
        DestroyWindow(window_);
}

int CountingWindow::paints() const
{
    return paintCount;
}

namespace {

struct FindBox {
    HWND box = nullptr;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM parameter)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (process != GetCurrentProcessId() || strcmp(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    reinterpret_cast<FindBox*>(parameter)->box = window;
    return FALSE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher()
    : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr))
{
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    Stop();
    CloseHandle(stop_);
}

std::vector<SeenBox> MessageBoxWatcher::Stop()
{
    if (thread_ != nullptr) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return seen_;
}

DWORD WINAPI MessageBoxWatcher::Run(LPVOID parameter)
{
    auto* self = static_cast<MessageBoxWatcher*>(parameter);
    HWND last = nullptr;
    while (WaitForSingleObject(self->stop_, 20) == WAIT_TIMEOUT) {
        FindBox found;
        EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&found));
        // A box stays listed until its loop has run the posted command.
        if (found.box == nullptr || found.box == last)
            continue;
        last = found.box;
        char caption[256] = "";
        char text[1024] = "";
        GetWindowTextA(found.box, caption, sizeof caption);
        GetDlgItemTextA(found.box, 0xFFFF, text, sizeof text);
        self->seen_.push_back({caption, text});
        // Posted, not sent: the box's thread is the one under test.
        PostMessageA(found.box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return 0;
}

}  // namespace actiontest
