// The dialogs and the installation sequence, run in this process from the
// built stub's templates. A second thread plays the user: it finds the
// dialogs of the test's thread, reads them and presses their buttons, while
// the test's thread sits in their modal loops. It only records what it sees;
// the checks run on the test's thread afterwards.
#include "package/installer_state.h"
#include "package/reader.h"
#include "res/resource_ids.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"
#include "ui/common_controls.h"
#include "ui/dialogs.h"
#include "ui/install_sequence.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using testsupport::Bytes;

constexpr DWORD kStepTimeoutMs = 8000;
// How long the test's thread may stay in a modal loop after the user is done.
constexpr DWORD kLeftOpenMs = 15000;
constexpr int kMessageBoxText = 0xFFFF;

const char kPromptFormat[] =
    "You are about to install %s as a Windows screen saver. Click on Proceed to complete the installation or "
    "on Cancel to abort.\n\nClick on Preview to view the screen saver prior to installing it. Note that your "
    "mouse must remain stationary after you click on Preview until you wish to terminate the preview.";
const char kInstalledFormat[] =
    "%s has been installed as a Windows screen saver. You can change its settings at any time with the Screen "
    "saver settings button, or later by searching Windows for \"screen saver\".\n\n";
const char kActiveFormat[] =
    "Your new screen saver is active, and will blank your screen after a period of %d minute(s) of inactivity.";
const char kNotActive[] =
    "Your new screen saver is not yet active. Click Screen saver settings and choose it from the list.";
const char kWriteError[] = "There has been an error writing your screen saver.";

std::string Format(const char* format, const std::string& title)
{
    std::vector<char> buffer(strlen(format) + title.size() + 1);
    snprintf(buffer.data(), buffer.size(), format, title.c_str());
    return buffer.data();
}

std::string DoneText(const std::string& title, int choice)
{
    char state[256];
    if (choice & 0x80)
        snprintf(state, sizeof state, kActiveFormat, choice & 0x7F);
    else
        snprintf(state, sizeof state, "%s", kNotActive);
    return Format(kInstalledFormat, title) + state;
}

std::string StubPath()
{
    std::string path = "Z:" SAVERSTUB_EXE_HOST_PATH;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string TextOf(HWND hwnd)
{
    char buffer[8192] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, LPARAM(buffer), SMTO_ABORTIFHUNG, 5000, &copied);
    return buffer;
}

// -- the second thread --------------------------------------------------------

struct DialogSearch {
    int control;
    int without[2];  // controls the dialog must not have; 0 for none
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char className[16] = "";
    GetClassNameA(hwnd, className, sizeof className);
    if (!IsWindowVisible(hwnd) || strcmp(className, "#32770") != 0 || GetDlgItem(hwnd, search->control) == nullptr)
        return TRUE;
    for (int id : search->without) {
        if (id != 0 && GetDlgItem(hwnd, id) != nullptr)
            return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

class User {
public:
    // Starts `script` on a thread of its own; it acts on the dialogs of the
    // thread that makes the User.
    explicit User(std::function<void(User&)> script) : script_(std::move(script)), target_(GetCurrentThreadId())
    {
        joined_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~User() { Join(); }
    User(const User&) = delete;
    User& operator=(const User&) = delete;

    void Join()
    {
        if (thread_ == nullptr)
            return;
        SetEvent(joined_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(joined_);
        thread_ = nullptr;
    }

    // A visible dialog of the test's thread with `control` (and not `without`).
    HWND WaitDialog(int control, int without = 0)
    {
        DWORD start = GetTickCount();
        for (;;) {
            DialogSearch search = {control, {without, 0}, nullptr};
            EnumThreadWindows(target_, MatchDialog, LPARAM(&search));
            if (search.found != nullptr)
                return search.found;
            if (GetTickCount() - start > kStepTimeoutMs) {
                Note("timed out waiting for a dialog with control " + std::to_string(control));
                return nullptr;
            }
            Sleep(10);
        }
    }

    HWND Focus()
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(target_, &info) ? info.hwndFocus : nullptr;
    }

    // Returns once the test's thread has taken messages again, which is after
    // it dealt with everything posted before.
    void Settle(HWND hwnd)
    {
        DWORD_PTR result = 0;
        for (int i = 0; i < 2; ++i)
            SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    }

    void Press(HWND dialog, int id)
    {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
    }

    void Key(UINT key)
    {
        HWND focus = Focus();
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, 1 | (LPARAM(3) << 30));
    }

    void Note(const std::string& problem) { problems.push_back(problem); }

    std::vector<std::string> problems;

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* user = static_cast<User*>(self);
        user->script_(*user);
        // A dialog that ignored the user would hold the test's thread for good:
        // fail at once rather than when CTest gives up.
        if (WaitForSingleObject(user->joined_, kLeftOpenMs) == WAIT_TIMEOUT) {
            fprintf(stderr, "FAILED: a dialog stayed open after the user was done\n");
            for (const std::string& problem : user->problems)
                fprintf(stderr, "  %s\n", problem.c_str());
            fflush(stderr);
            ExitProcess(3);
        }
        return 0;
    }

    std::function<void(User&)> script_;
    DWORD target_;
    HANDLE joined_ = nullptr;
    HANDLE thread_ = nullptr;
};

// -- fixtures -----------------------------------------------------------------

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class Screen : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(LoadCommonControls());
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DialogTestOwner";
        RegisterClassA(&wc);
    }

    void SetUp() override
    {
        stub_ = LoadLibraryExA(StubPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(stub_, nullptr);
        hInst = stub_;
        owner_ = CreateWindowExA(0, "DialogTestOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        ClearInstallerRecords();
    }

    void TearDown() override
    {
        if (owner_ != nullptr)
            DestroyWindow(owner_);
        hInst = nullptr;
        if (stub_ != nullptr)
            FreeLibrary(stub_);
    }

    static void SetTitle(const std::string& title, unsigned timeout)
    {
        snprintf(instheader.szTitle, sizeof instheader.szTitle, "%s", title.c_str());
        instheader.nTimeout = timeout;
    }

    static bool Centred(HWND hwnd)
    {
        RECT r = {};
        GetWindowRect(hwnd, &r);
        return r.left == (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2 &&
               r.top == (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    }

    HMODULE stub_ = nullptr;
    HWND owner_ = nullptr;
};

void ExpectNoProblems(const User& user)
{
    for (const std::string& problem : user.problems)
        ADD_FAILURE() << problem;
}

// -- CentreWindow -------------------------------------------------------------

TEST_F(Screen, CentreWindowPlacesOnThePrimaryScreenAndKeepsTheSize)
{
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    const struct {
        int width, height, x, y;
    } cases[] = {
        {301, 200, 361, 284}, {1024, 768, 0, 0}, {1, 1, 511, 383},
        // Larger than the screen: the odd difference truncates toward zero.
        {1027, 771, -1, -1},  {1030, 800, -3, -16},
    };
    for (const auto& c : cases) {
        HWND window = CreateWindowExA(0, "DialogTestOwner", "", WS_POPUP, 7, 9, c.width, c.height, owner_, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        CentreWindow(window);
        RECT r = {};
        GetWindowRect(window, &r);
        EXPECT_EQ(r.left, c.x) << c.width << "x" << c.height;
        EXPECT_EQ(r.top, c.y) << c.width << "x" << c.height;
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        DestroyWindow(window);
    }
}

TEST_F(Screen, CentreWindowBringsTheWindowToTheTopAndActivatesIt)
{
    HWND first = CreateWindowExA(0, "DialogTestOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    HWND second = CreateWindowExA(0, "DialogTestOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    SetActiveWindow(second);
    ASSERT_EQ(GetActiveWindow(), second);
    CentreWindow(first);
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_EQ(GetWindow(second, GW_HWNDPREV), first) << "first now lies above second";
    DestroyWindow(second);
    DestroyWindow(first);
}

// -- the install prompt -------------------------------------------------------

struct PromptSeen {
    std::string text, minutes, spinText;
    LRESULT checked = -1, range = 0;
    bool focusOnInstall = false, centred = false, ownedByOwner = false;
};

// Shows the prompt; `act` plays the user once the prompt is up.
int RunPrompt(HWND owner, PromptSeen* seen, std::function<void(User&, HWND)> act, std::vector<std::string>* problems)
{
    User user([&](User& u) {
        HWND dialog = u.WaitDialog(IDC_MINUTES_SPIN);
        if (dialog == nullptr)
            return;
        seen->text = TextOf(GetDlgItem(dialog, IDC_PROMPT_TEXT));
        seen->minutes = TextOf(GetDlgItem(dialog, IDC_MINUTES));
        seen->spinText = TextOf(GetDlgItem(dialog, IDC_MINUTES_SPIN));
        seen->checked = SendDlgItemMessageA(dialog, IDC_MAKE_DEFAULT, BM_GETCHECK, 0, 0);
        seen->range = SendDlgItemMessageA(dialog, IDC_MINUTES_SPIN, UDM_GETRANGE, 0, 0);
        seen->focusOnInstall = u.Focus() == GetDlgItem(dialog, IDOK);
        RECT r = {};
        GetWindowRect(dialog, &r);
        seen->centred = r.left == (1024 - (r.right - r.left)) / 2 && r.top == (768 - (r.bottom - r.top)) / 2;
        seen->ownedByOwner = GetWindow(dialog, GW_OWNER) == owner;
        act(u, dialog);
    });
    int result = DoInstallPrompt(owner);
    user.Join();
    *problems = user.problems;
    return result;
}

TEST_F(Screen, InstallPromptShowsTheProposalAndReturnsTheChoice)
{
    const struct {
        unsigned timeout;
        const char* typed;  // nullptr: the edit is left as shown
        bool clearBox;
        int choice;
    } cases[] = {
        {10, nullptr, false, 0x8A}, {10, nullptr, true, 10},   {25, nullptr, false, 0x80 | 25},
        {0, nullptr, false, 0x81},  {0, nullptr, true, 1},     {120, nullptr, false, 0x80 | 99},
        {10, "0", false, 0x81},     {10, "0", true, 1},        {10, "", true, 1},
        {10, "99", true, 99},       {10, "100", false, 0xE3}, {10, "127", true, 99},
        {10, "128", true, 99},      {10, "200", true, 99},     {10, "1", false, 0x81},
    };
    const std::string title = "Prompt %s Test %d";
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.timeout) + " typed " + (c.typed ? c.typed : "nothing") +
                     (c.clearBox ? ", box cleared" : ", box ticked"));
        SetTitle(title, c.timeout);
        PromptSeen seen;
        std::vector<std::string> problems;
        int choice = RunPrompt(owner_, &seen, [&](User& u, HWND dialog) {
            if (c.typed != nullptr)
                SetDlgItemTextA(dialog, IDC_MINUTES, c.typed);
            if (c.clearBox)
                SendDlgItemMessageA(dialog, IDC_MAKE_DEFAULT, BM_CLICK, 0, 0);
            u.Press(dialog, IDOK);
        }, &problems);
        for (const std::string& problem : problems)
            ADD_FAILURE() << problem;
        EXPECT_EQ(choice, c.choice);
        EXPECT_EQ(seen.text, Format(kPromptFormat, title));
        EXPECT_EQ(seen.minutes, std::to_string(c.timeout)) << "the header's proposal, as it is";
        EXPECT_EQ(seen.spinText, "1,99,10");
        EXPECT_EQ(seen.range, MAKELONG(99, 1)) << "the range from the up-down's text";
        EXPECT_EQ(seen.checked, BST_CHECKED);
        EXPECT_TRUE(seen.focusOnInstall);
        EXPECT_TRUE(seen.centred);
        EXPECT_TRUE(seen.ownedByOwner);
    }
}

TEST_F(Screen, InstallPromptCancelAndEscapeReturnZero)
{
    SetTitle("Cancelled", 10);
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Esc" : "Cancel");
        PromptSeen seen;
        std::vector<std::string> problems;
        int choice = RunPrompt(owner_, &seen, [&](User& u, HWND dialog) {
            if (escape)
                u.Key(VK_ESCAPE);
            else
                u.Press(dialog, IDCANCEL);
        }, &problems);
        for (const std::string& problem : problems)
            ADD_FAILURE() << problem;
        EXPECT_EQ(choice, 0);
    }
}

TEST_F(Screen, PromptsThatCannotBeShownReturnMinusOne)
{
    // This test program carries no dialog templates.
    hInst = GetModuleHandleA(nullptr);
    EXPECT_EQ(DoInstallPrompt(owner_), -1);
    EXPECT_EQ(DoDonePrompt(owner_, 0x8A), -1);
}

// -- the done prompt ----------------------------------------------------------

TEST_F(Screen, DonePromptSaysWhatTheChoiceMeansAndOnlyDoneClosesIt)
{
    const std::string title = "Done %s %d %n Test";
    for (int choice : {0x8A, 10, 0x81, 0xE3, 0xFF}) {
        SCOPED_TRACE(choice);
        SetTitle(title, 10);
        std::string text, credit;
        LOGFONTA font = {};
        HFONT creditFont = nullptr;
        bool focusOnDone = false, centred = false, openAfterEsc = false;
        User user([&](User& u) {
            HWND dialog = u.WaitDialog(IDC_DONE_TEXT);
            if (dialog == nullptr)
                return;
            text = TextOf(GetDlgItem(dialog, IDC_DONE_TEXT));
            credit = TextOf(GetDlgItem(dialog, IDC_CREDIT));
            creditFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, IDC_CREDIT, WM_GETFONT, 0, 0));
            GetObjectA(creditFont, sizeof font, &font);
            focusOnDone = u.Focus() == GetDlgItem(dialog, IDOK);
            RECT r = {};
            GetWindowRect(dialog, &r);
            centred = r.left == (1024 - (r.right - r.left)) / 2 && r.top == (768 - (r.bottom - r.top)) / 2;
            u.Key(VK_ESCAPE);
            u.Press(dialog, IDCANCEL);
            u.Settle(dialog);
            openAfterEsc = IsWindow(dialog) && IsWindowVisible(dialog);
            u.Press(dialog, IDOK);
        });
        EXPECT_EQ(DoDonePrompt(owner_, choice), 1);
        user.Join();
        ExpectNoProblems(user);
        EXPECT_EQ(text, DoneText(title, choice));
        EXPECT_FALSE(credit.empty());
        EXPECT_TRUE(focusOnDone);
        EXPECT_TRUE(centred);
        EXPECT_TRUE(openAfterEsc) << "Esc and IDCANCEL are ignored";
        ASSERT_NE(creditFont, nullptr);
        EXPECT_EQ(font.lfHeight, 12);
        EXPECT_STRCASEEQ(font.lfFaceName, "ARIAL");
        EXPECT_EQ(GetObjectType(creditFont), 0u) << "the credit font is deleted with Done";
    }
}

// -- the installation sequence ------------------------------------------------

class Sequence : public Screen {
protected:
    void SetUp() override
    {
        Screen::SetUp();
        char windows[MAX_PATH];
        UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
        ASSERT_GT(length, 0u);
        ASSERT_LT(length, 200u);
        windows_ = windows;
        if (windows_.back() != '\\')
            windows_ += '\\';
    }

    // Loads an installer whose saver has `name` into the globals, as start-up does.
    void LoadPackage(const std::string& name)
    {
        testsupport::PackageBuilder builder;
        builder.Title("Sequence Test").Timeout(5).Saver(saver_, name);
        std::string path = dir_.Path("installer.exe");
        testsupport::WriteFileBytes(path, builder.Build());
        ClearInstallerRecords();
        const std::wstring wide = testsupport::Wide(path);
        ASSERT_EQ(LoadInstaller(nullptr, wide.c_str()), 1);
        ASSERT_STREQ(instscr.szFileName, name.c_str());
        wide.copy(spath, wide.size());
        spath[wide.size()] = 0;
    }

    std::vector<std::string> WindowsDirectory()
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((windows_ + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    struct Run {
        std::string messageBox;
        std::string doneText;
    };

    // Runs the whole sequence with the box cleared, answering every box.
    Run Install(std::vector<std::string>* problems)
    {
        Run run;
        User user([&](User& u) {
            HWND prompt = u.WaitDialog(IDC_MINUTES_SPIN);
            if (prompt == nullptr)
                return;
            SendDlgItemMessageA(prompt, IDC_MAKE_DEFAULT, BM_CLICK, 0, 0);
            u.Press(prompt, IDOK);
            // The write-error box, if any, comes before the done prompt.
            DWORD start = GetTickCount();
            for (;;) {
                // The prompts have unnumbered labels too.
                DialogSearch box = {kMessageBoxText, {IDC_MINUTES, IDC_DONE_TEXT}, nullptr};
                DialogSearch done = {IDC_DONE_TEXT, {IDC_MINUTES, 0}, nullptr};
                EnumThreadWindows(target(), MatchDialog, LPARAM(&box));
                EnumThreadWindows(target(), MatchDialog, LPARAM(&done));
                if (box.found != nullptr && run.messageBox.empty()) {
                    run.messageBox = TextOf(GetDlgItem(box.found, kMessageBoxText));
                    u.Press(box.found, IDOK);
                }
                if (done.found != nullptr) {
                    run.doneText = TextOf(GetDlgItem(done.found, IDC_DONE_TEXT));
                    u.Press(done.found, IDOK);
                    return;
                }
                if (GetTickCount() - start > kStepTimeoutMs) {
                    u.Note("no done prompt");
                    return;
                }
                Sleep(10);
            }
        });
        EXPECT_EQ(OnStartInstall(owner_), 0);
        user.Join();
        *problems = user.problems;
        MSG message;
        EXPECT_TRUE(PeekMessageA(&message, owner_, WM_DESTROY, WM_DESTROY, PM_REMOVE)) << "WM_DESTROY is posted";
        return run;
    }

    DWORD target() const { return target_; }

    testsupport::TempDir dir_;
    Bytes saver_ = testsupport::RandomBytes(5000, 6);
    std::string windows_;
    DWORD target_ = GetCurrentThreadId();
};

TEST_F(Sequence, NamesOutsideTheWindowsDirectoryOrTooLongAreRefused)
{
    // The longest name whose destination still fits in 260 characters, and one more.
    size_t longest = MAX_PATH - 1 - windows_.size();
    std::string fits = std::string(longest - 4, 'F') + ".SCR";
    std::string tooLong = std::string(longest - 3, 'G') + ".SCR";
    const struct {
        std::string name;
        bool written;
    } cases[] = {
        {"", false},
        {".", false},
        {"system32\\EVIL1.SCR", false},
        {"system32/EVIL2.SCR", false},
        {"C:EVIL3.SCR", false},
        {tooLong, false},
        {fits, true},
    };
    const std::vector<std::string> elsewhere = {windows_ + "system32\\EVIL1.SCR", windows_ + "system32\\EVIL2.SCR",
                                                windows_ + "EVIL3.SCR", "C:\\EVIL3.SCR"};
    // Where a wrongly accepted name would have put the saver; cleared so that
    // every case starts clean whatever an earlier run left.
    auto clearElsewhere = [&] {
        for (const std::string& path : elsewhere)
            DeleteFileA(path.c_str());
    };
    clearElsewhere();
    for (const auto& c : cases) {
        SCOPED_TRACE("name \"" + c.name.substr(0, 30) + "\" of " + std::to_string(c.name.size()));
        LoadPackage(c.name);
        std::vector<std::string> before = WindowsDirectory();
        std::vector<std::string> problems;
        Run run = Install(&problems);
        for (const std::string& problem : problems)
            ADD_FAILURE() << problem;
        EXPECT_EQ(run.doneText, DoneText("Sequence Test", 5)) << "the done prompt comes in every case";
        std::string path = windows_ + c.name;
        if (c.written) {
            EXPECT_EQ(run.messageBox, "");
            EXPECT_EQ(testsupport::ReadFileBytes(path), saver_);
            DeleteFileA(path.c_str());
        } else {
            EXPECT_EQ(run.messageBox, kWriteError);
        }
        EXPECT_EQ(WindowsDirectory(), before) << "nothing else is left in the Windows directory";
        for (const std::string& path : elsewhere)
            EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
        clearElsewhere();
        ReleaseInstallerBlocks();
    }
}

TEST_F(Sequence, APromptThatCannotBeShownInstallsNothing)
{
    LoadPackage("NOPROMPT.SCR");
    // Without templates the prompt fails with -1, which must not read as a choice
    // (bit 7 and 127 minutes).
    hInst = GetModuleHandleA(nullptr);
    DWORD start = GetTickCount();
    EXPECT_EQ(OnStartInstall(owner_), 0);
    EXPECT_LT(GetTickCount() - start, 900u) << "no wait, no write";
    EXPECT_EQ(GetFileAttributesA((windows_ + "NOPROMPT.SCR").c_str()), INVALID_FILE_ATTRIBUTES);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, owner_, WM_DESTROY, WM_DESTROY, PM_REMOVE)) << "the stub still ends";
    DeleteFileA((windows_ + "NOPROMPT.SCR").c_str());
    ReleaseInstallerBlocks();
}

}  // namespace
