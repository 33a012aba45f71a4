// The installer's command line, as GetCommandLineA hands it over: program names
// quoted or not, switches in either case with '/' or '-', quoted switches,
// /TIMEOUT= values at and past their limits, unknown and repeated switches.
#include "actions/switches.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct SwitchCase {
    const char* line;
    bool understood;
    bool silent, noActivate, help;
    unsigned timeout;
    const char* unknown;
    bool uninstall = false;
};

TEST(ParseSwitches, ReadsEveryArgumentAfterTheProgramName)
{
    const SwitchCase cases[] = {
        {"setup.exe", true, false, false, false, 0, ""},
        {"setup.exe   ", true, false, false, false, 0, ""},
        {"\"C:\\My Downloads\\My Saver Setup.exe\"", true, false, false, false, 0, ""},
        {"\"C:\\My Downloads\\Setup.exe\"/S", true, true, false, false, 0, ""},
        {"\"C:\\My Downloads\\Setup.exe\" /s  -NoActivate\t/timeout=15 ", true, true, true, false, 15, ""},
        {"C:\\Downloads\\setup.exe \"/S\" \"/TIMEOUT=7\"", true, true, false, false, 7, ""},
        {"setup.exe /?", true, false, false, true, 0, ""},
        {"setup.exe -help /S", true, true, false, true, 0, ""},
        {"setup.exe /TIMEOUT=1", true, false, false, false, 1, ""},
        {"uninstall.exe /Uninstall /S", true, true, false, false, 0, "", true},
        {"setup.exe /TIMEOUT=99", true, false, false, false, 99, ""},
        {"setup.exe /TIMEOUT=099", true, false, false, false, 99, ""},
        {"setup.exe /TIMEOUT=20 /TIMEOUT=5 /timeout=6", true, false, false, false, 6, ""},
        // Not understood: the first such argument is named, the switches around it still read.
        {"setup.exe /TIMEOUT=0", false, false, false, false, 0, "/TIMEOUT=0"},
        {"setup.exe /S /TIMEOUT=100", false, true, false, false, 0, "/TIMEOUT=100"},
        {"setup.exe /TIMEOUT=1x", false, false, false, false, 0, "/TIMEOUT=1x"},
        {"setup.exe /TIMEOUT=ten", false, false, false, false, 0, "/TIMEOUT=ten"},
        {"setup.exe /TIMEOUT=", false, false, false, false, 0, "/TIMEOUT="},
        {"setup.exe /TIMEOUT 5", false, false, false, false, 0, "/TIMEOUT"},
        {"setup.exe /SILENT /S", false, true, false, false, 0, "/SILENT"},
        {"setup.exe S", false, false, false, false, 0, "S"},
        {"setup.exe /S \"/NO ACTIVATE\" /X", false, true, false, false, 0, "/NO ACTIVATE"},
        {"setup.exe \"\"", false, false, false, false, 0, ""},
        {"setup.exe /", false, false, false, false, 0, "/"},
    };
    for (const SwitchCase& c : cases) {
        actions::Switches switches;
        bool understood = actions::ParseSwitches(c.line, &switches);
        EXPECT_EQ(understood, c.understood) << c.line;
        EXPECT_EQ(switches.silent, c.silent) << c.line;
        EXPECT_EQ(switches.noActivate, c.noActivate) << c.line;
        EXPECT_EQ(switches.help, c.help) << c.line;
        EXPECT_EQ(switches.timeout, c.timeout) << c.line;
        EXPECT_EQ(switches.uninstall, c.uninstall) << c.line;
        EXPECT_EQ(std::string(switches.unknown), c.understood ? "" : c.unknown) << c.line;
    }
    // A line with no arguments at all is told apart: the uninstaller removes then.
    actions::Switches none, empty;
    actions::ParseSwitches("\"C:\\Program Files\\uninstall.exe\"  ", &none);
    actions::ParseSwitches("uninstall.exe \"\"", &empty);
    EXPECT_EQ(none.count, 0u);
    EXPECT_EQ(empty.count, 1u);
}

TEST(ParseSwitches, AnArgumentLongerThanItsBufferIsNamedAsFarAsItFits)
{
    std::string line = "setup.exe /S /" + std::string(100, 'x') + " /NOACTIVATE";
    actions::Switches switches;
    EXPECT_FALSE(actions::ParseSwitches(line.c_str(), &switches));
    EXPECT_TRUE(switches.silent && switches.noActivate);
    EXPECT_EQ(std::string(switches.unknown), line.substr(13, sizeof switches.unknown - 1));
}

}  // namespace
