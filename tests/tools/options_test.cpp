// The value formats of the command line and the scanning of its options.
#include "commands/options.h"
#include "packing/package_writer.h"

#include <ctype.h>
#include <gtest/gtest.h>

namespace {

using saverpack::CommandLine;

TEST(ParseWebColour, RedFirstBecomesRedInTheLowByte)
{
    struct Case {
        const char* text;
        uint32_t colourref;
    } cases[] = {
        {"2060C0", 0x00C06020}, {"FF0000", 0x000000FF}, {"00ff00", 0x0000FF00},
        {"#0000Ff", 0x00FF0000}, {"000000", 0},          {"123456", 0x00563412},
    };
    for (const Case& c : cases) {
        uint32_t value = 0xDEADBEEF;
        ASSERT_TRUE(saverpack::ParseWebColour(c.text, &value)) << c.text;
        EXPECT_EQ(value, c.colourref) << c.text;
        std::string digits = c.text[0] == '#' ? c.text + 1 : c.text;
        for (char& ch : digits)
            ch = char(toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(saverpack::WebColour(value), digits);
    }
    EXPECT_EQ(saverpack::WebColour(0x00C06020), "2060C0");
}

TEST(ParseWebColour, RefusesAnythingButSixHexDigits)
{
    for (const char* text : {"", "#", "12345", "1234567", "GG0000", "#12345", " 2060C0", "2060C0 ", "0x2060C0",
                             "20-60C", "##2060C0"}) {
        uint32_t value = 77;
        EXPECT_FALSE(saverpack::ParseWebColour(text, &value)) << "\"" << text << "\"";
        EXPECT_EQ(value, 77u) << text;
    }
}

TEST(ParseWholeNumber, BoundsAndDigitsOnly)
{
    uint32_t v = 0;
    EXPECT_TRUE(saverpack::ParseWholeNumber("0", 0, 9999, &v));
    EXPECT_EQ(v, 0u);
    EXPECT_TRUE(saverpack::ParseWholeNumber("9999", 0, 9999, &v));
    EXPECT_EQ(v, 9999u);
    EXPECT_TRUE(saverpack::ParseWholeNumber("0042", 0, 9999, &v));
    EXPECT_EQ(v, 42u);
    for (const char* text : {"", "10000", "-1", "+1", "1.5", " 5", "5 ", "1e3", "abc", "99999999999999999999",
                             "4294967306"}) {
        uint32_t value = 77;
        EXPECT_FALSE(saverpack::ParseWholeNumber(text, 0, 9999, &value)) << "\"" << text << "\"";
        EXPECT_EQ(value, 77u);
    }
    EXPECT_FALSE(saverpack::ParseWholeNumber("3", 4, 9, &v));
}

struct Scan {
    bool ok;
    CommandLine line;
    std::string error;
};

Scan ScanOf(std::vector<const char*> args)
{
    args.insert(args.begin(), {"saverpack", "build"});
    Scan s;
    s.ok = saverpack::ScanArguments(int(args.size()), args.data(), 2, {"--stub", "--title"}, {"--verify"}, &s.line,
                                    &s.error);
    return s;
}

TEST(ScanArguments, ValuesFlagsAndPositionals)
{
    Scan s = ScanOf({"in.exe", "--stub", "a b", "--title=x=y", "--verify", "--", "--stub"});
    ASSERT_TRUE(s.ok) << s.error;
    EXPECT_EQ(s.line.Value("--stub"), "a b");
    EXPECT_EQ(s.line.Value("--title"), "x=y");
    EXPECT_TRUE(s.line.Has("--verify"));
    EXPECT_EQ(s.line.positional, (std::vector<std::string>{"in.exe", "--stub"}));

    // A value is the next argument whatever it looks like, so texts may begin with "-".
    s = ScanOf({"--title", "--verify"});
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.line.Value("--title"), "--verify");
    EXPECT_FALSE(s.line.flags.count("--verify"));
    s = ScanOf({"--title", ""});
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.line.Value("--title"), "");
    s = ScanOf({"-"});
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.line.positional, std::vector<std::string>{"-"});
}

TEST(ScanArguments, Refusals)
{
    struct Case {
        std::vector<const char*> args;
        const char* reason;
    } cases[] = {
        {{"--stub"}, "--stub needs a value"},
        {{"--stub", "a", "--stub", "b"}, "--stub is given twice"},
        {{"--stub=a", "--stub", "b"}, "given twice"},
        {{"--verify", "--verify"}, "given twice"},
        {{"--stubb", "a"}, "unknown option --stubb"},
        {{"-s", "a"}, "unknown option -s"},
        {{"--verify=yes"}, "unknown option --verify=yes"},
    };
    for (const Case& c : cases) {
        Scan s = ScanOf(c.args);
        EXPECT_FALSE(s.ok) << c.reason;
        EXPECT_NE(s.error.find(c.reason), std::string::npos) << s.error;
    }
}

TEST(CheckFileName, PlainNamesOnly)
{
    // Screen savers only, and no device (the installer and saverpack share the rule).
    for (std::string good : std::vector<std::string>{"MYSAVER.SCR", "long name with spaces.scr", "...scr",
                                                     std::string(289, 'n') + ".Scr", "Con Artist.scr", "CONSOLE.scr",
                                                     "COM0.scr", "LPT.scr", "com10.scr"})
        EXPECT_EQ(saverpack::CheckFileName(good), "") << good;
    for (std::string bad : std::vector<std::string>{"", ".", "..", "dir\\x.scr", "dir/x.scr", "C:x.scr", "a*b", "a?b", "a\"b", "a<b", "a>b",
                            "a|b", "tab\tname", std::string(294, 'n'), "a", "saver.scr.exe", "saver.scr ", "scr",
                            "NUL.scr", "nul .SCR", "Com9.scr", "LPT1.x.scr", "aux.scr", "prn.scr", "con.scr"})
        EXPECT_NE(saverpack::CheckFileName(bad), "") << bad;
    EXPECT_NE(saverpack::CheckFileName(std::string(294, 'n')).find("at most 293"), std::string::npos);
}

}  // namespace
