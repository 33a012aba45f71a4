// Default-saver activation against the real SYSTEM.INI and screen-saver
// settings of the test prefix, which each test puts back afterwards.
#include "actions/default_saver.h"

#include "action_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using actiontest::LongPath;
using actiontest::SamePathIgnoringCase;

constexpr char kAbsent[] = "<absent>";
constexpr char kSentinel[] = "C:\\SENTINEL.SCR";
constexpr UINT kSentinelTimeout = 4321;

std::string ProfileEntry()
{
    char value[MAX_PATH];
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", kAbsent, value, sizeof value, "SYSTEM.INI");
    return value;
}

BOOL SaverActive()
{
    BOOL active = -1;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active;
}

UINT SaverTimeout()
{
    UINT seconds = 0xFFFFFFFF;
    SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds;
}

std::string WindowsDirectory()
{
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, length);
}

// Swaps the case of every ASCII letter: "C:\windows" becomes "c:\WINDOWS".
std::string SwapCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return text;
}

class Activation : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldEntry_ = ProfileEntry();
        oldActive_ = SaverActive();
        oldTimeout_ = SaverTimeout();
        SetSentinels();
    }

    void TearDown() override
    {
        for (const std::string& file : created_)
            DeleteFileA(file.c_str());
        WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", oldEntry_ == kAbsent ? nullptr : oldEntry_.c_str(),
                                   "SYSTEM.INI");
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, oldActive_, nullptr, SPIF_UPDATEINIFILE);
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, oldTimeout_, nullptr, SPIF_UPDATEINIFILE);
    }

    // Values no successful call would leave behind.
    static void SetSentinels()
    {
        WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", kSentinel, "SYSTEM.INI");
        SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_UPDATEINIFILE);
        SystemParametersInfoA(SPI_SETSCREENSAVETIMEOUT, kSentinelTimeout, nullptr, SPIF_UPDATEINIFILE);
        ASSERT_EQ(ProfileEntry(), kSentinel);
        ASSERT_EQ(SaverActive(), FALSE);
        ASSERT_EQ(SaverTimeout(), kSentinelTimeout);
    }

    // Creates an empty saver file in the Windows directory; removed afterwards.
    std::string CreateSaver(const std::string& name)
    {
        std::string path = WindowsDirectory() + "\\" + name;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
        CloseHandle(file);
        created_.push_back(path);
        return path;
    }

    std::string oldEntry_;
    BOOL oldActive_ = FALSE;
    UINT oldTimeout_ = 0;
    std::vector<std::string> created_;
};

TEST_F(Activation, WindowsDirectorySpelledInOtherCaseIsAccepted)
{
    std::string windows = WindowsDirectory();
    ASSERT_FALSE(windows.empty());
    CreateSaver("MYSAVER.SCR");
    std::string path = SwapCase(windows) + "\\MYSAVER.SCR";

    EXPECT_EQ(DoSetDefaultSaver(nullptr, path.c_str(), 10), 1);
    EXPECT_TRUE(SamePathIgnoringCase(ProfileEntry(), path)) << ProfileEntry();
    EXPECT_EQ(SaverActive(), TRUE);
    EXPECT_EQ(SaverTimeout(), 600u);
}

TEST_F(Activation, ProfileHoldsTheShortFormOfALongName)
{
    std::string path = CreateSaver("My Long Saver Name.scr");

    ASSERT_EQ(DoSetDefaultSaver(nullptr, path.c_str(), 5), 1);
    std::string entry = ProfileEntry();
    EXPECT_EQ(entry.find(' '), std::string::npos) << entry;
    EXPECT_FALSE(SamePathIgnoringCase(entry, path)) << entry;
    EXPECT_TRUE(SamePathIgnoringCase(LongPath(entry), path)) << entry << " is not " << path;
    EXPECT_EQ(SaverTimeout(), 300u);
}

TEST_F(Activation, SaverWithoutShortFormGoesInUnchanged)
{
    // A file that does not exist has no short form to ask for.
    std::string path = WindowsDirectory() + "\\Not Installed Saver.scr";
    ASSERT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_EQ(DoSetDefaultSaver(nullptr, path.c_str(), 1), 1);
    EXPECT_EQ(ProfileEntry(), path);
}

TEST_F(Activation, TimeoutIsMinutesTimesSixty)
{
    std::string path = CreateSaver("TIMEOUT.SCR");
    const struct {
        int minutes;
        UINT seconds;
    } cases[] = {{10, 600}, {0, 0}, {1, 60}, {127, 7620}};
    for (const auto& c : cases) {
        SetSentinels();
        ASSERT_EQ(DoSetDefaultSaver(nullptr, path.c_str(), c.minutes), 1) << c.minutes;
        EXPECT_EQ(SaverTimeout(), c.seconds) << c.minutes;
        EXPECT_EQ(SaverActive(), TRUE) << c.minutes;
    }
}

TEST_F(Activation, SaverOutsideTheWindowsDirectoryChangesNothing)
{
    std::string windows = WindowsDirectory();
    std::string forward = windows;
    for (char& c : forward) {
        if (c == '\\')
            c = '/';
    }
    CreateDirectoryA((windows + "\\SUB").c_str(), nullptr);
    const std::string refused[] = {
        windows + "\\SUB\\X.SCR",       // a subdirectory in the saver's file name
        forward + "/X.SCR",             // "/" where the Windows directory has "\\"
        windows + "X.SCR",              // beside the directory, not in it
        "D" + windows.substr(1) + "\\X.SCR",  // another drive
        windows.substr(2) + "\\X.SCR",  // no drive
        "X.SCR",                        // relative
        "",
        std::string(300, 'x'),
    };
    for (const std::string& path : refused) {
        EXPECT_EQ(DoSetDefaultSaver(nullptr, path.c_str(), 10), 0) << path;
        EXPECT_EQ(ProfileEntry(), kSentinel) << path;
        EXPECT_EQ(SaverActive(), FALSE) << path;
        EXPECT_EQ(SaverTimeout(), kSentinelTimeout) << path;
    }
    RemoveDirectoryA((windows + "\\SUB").c_str());
}

TEST_F(Activation, PathOfMaximumLengthIsJudgedWhole)
{
    // 260 characters or more are no path Windows can open; they are refused
    // even when their first 260 characters name the Windows directory.
    std::string path = WindowsDirectory() + "\\" + std::string(300 - WindowsDirectory().size(), 'n') + ".SCR";
    EXPECT_EQ(DoSetDefaultSaver(nullptr, path.c_str(), 10), 0);
    EXPECT_EQ(ProfileEntry(), kSentinel);
}

}  // namespace
