// Child command lines: quoting of paths with blanks and refusal of lines that
// do not fit their buffer.
#include "actions/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using actions::AppendCommandPath;
using actions::AppendCommandText;
using actions::kCommandLineSize;
using Wide = std::basic_string<WCHAR>;

// The tests spell their lines in ASCII; each character is one UTF-16 unit.
Wide W(const std::string& text)
{
    return Wide(text.begin(), text.end());
}

std::string Narrow(const WCHAR* line)
{
    std::string text;
    for (; *line != 0; ++line)
        text += *line < 0x80 ? char(*line) : '?';
    return text;
}

bool AppendPath(WCHAR* line, size_t size, const std::string& path)
{
    return AppendCommandPath(line, size, W(path).c_str());
}

bool AppendText(WCHAR* line, size_t size, const std::string& text)
{
    return AppendCommandText(line, size, W(text).c_str());
}

struct QuoteCase {
    const char* path;
    const char* expected;  // null: refused
};

TEST(AppendCommandPath, QuotesExactlyThePathsThatWouldBeSplit)
{
    const QuoteCase cases[] = {
        {"C:\\TEMP\\QJX3F.TMP", "C:\\TEMP\\QJX3F.TMP"},
        {"C:\\PROG~FBU\\VIEWER.EXE", "C:\\PROG~FBU\\VIEWER.EXE"},
        {"C:\\Program Files\\viewer.exe", "\"C:\\Program Files\\viewer.exe\""},
        {"C:\\a\tb\\c.exe", "\"C:\\a\tb\\c.exe\""},
        {" ", "\" \""},
        {"TEMP$$$.$$$", "TEMP$$$.$$$"},
        {"", ""},
        // Not carried whole: a quote inside, or a backslash that would escape the closing quote.
        {"C:\\a\"b.exe", nullptr},
        {"C:\\dir with blank\\", nullptr},
    };
    for (const QuoteCase& c : cases) {
        WCHAR line[kCommandLineSize] = {'s', 't', 'a', 'r', 't', ':'};
        bool done = AppendPath(line, kCommandLineSize, c.path);
        EXPECT_EQ(done, c.expected != nullptr) << c.path;
        EXPECT_EQ(Narrow(line), std::string("start:") + (c.expected ? c.expected : "")) << c.path;
    }
}

TEST(AppendCommandPath, SaverAndViewerLinesAsTheActionsBuildThem)
{
    WCHAR line[kCommandLineSize] = {};
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, "C:\\users\\me\\Temp Dir\\QJX1.TMP"));
    ASSERT_TRUE(AppendText(line, kCommandLineSize, " /S"));
    EXPECT_EQ(Narrow(line), "\"C:\\users\\me\\Temp Dir\\QJX1.TMP\" /S");

    line[0] = 0;
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, "C:\\Program Files\\view.exe"));
    ASSERT_TRUE(AppendText(line, kCommandLineSize, " "));
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, "C:\\My Temp\\QJX1.DOC"));
    EXPECT_EQ(Narrow(line), "\"C:\\Program Files\\view.exe\" \"C:\\My Temp\\QJX1.DOC\"");

    // A folder named in any script goes through whole, one unit per character.
    line[0] = 0;
    const WCHAR* cyrillic = WIDE_TEXT("C:\\users\\Дмитрий\\Temp Папка\\QJX1.TMP");
    ASSERT_TRUE(AppendCommandPath(line, kCommandLineSize, cyrillic));
    EXPECT_EQ(Wide(line), WIDE_TEXT("\"") + Wide(cyrillic) + WIDE_TEXT("\""));
}

// The longest saver path that still fits, for each way of writing it.
TEST(AppendCommandPath, LongestLinesFitAndOneMoreCharacterIsRefused)
{
    // Unquoted: 260 characters and " /S" fill all 264 units.
    std::string plain = "C:\\" + std::string(257, 'p');
    WCHAR line[kCommandLineSize] = {};
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, plain));
    ASSERT_TRUE(AppendText(line, kCommandLineSize, " /S"));
    EXPECT_EQ(Narrow(line), plain + " /S");

    line[0] = 0;
    std::string longer = plain + "p";
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, longer));
    EXPECT_FALSE(AppendText(line, kCommandLineSize, " /S"));
    EXPECT_EQ(Narrow(line), longer) << "a refused append leaves the line as it was";

    // Quoted: the two quotes take two of the units.
    std::string blank = "C:\\a b\\" + std::string(252, 'q');  // 259 characters
    line[0] = 0;
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, blank));
    EXPECT_FALSE(AppendText(line, kCommandLineSize, " /S"));
    line[0] = 0;
    std::string shorter = blank.substr(0, 258);
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, shorter));
    ASSERT_TRUE(AppendText(line, kCommandLineSize, " /S"));
    EXPECT_EQ(Narrow(line), "\"" + shorter + "\" /S");
}

TEST(AppendCommandPath, QuotedPathThatDoesNotFitIsRefusedNotCut)
{
    // 262 characters, 264 with the quotes: no room left for the zero.
    std::string blank = "C:\\a b\\" + std::string(255, 'q');
    for (size_t size : {size_t(263), size_t(264)}) {
        WCHAR line[kCommandLineSize] = {};
        EXPECT_FALSE(AppendPath(line, size, blank)) << size;
        EXPECT_EQ(Narrow(line), "") << size;
    }
    WCHAR line[kCommandLineSize + 1] = {};
    EXPECT_TRUE(AppendPath(line, kCommandLineSize + 1, blank));
    EXPECT_EQ(Narrow(line), "\"" + blank + "\"");
}

TEST(AppendCommandPath, ViewerLineThatDoesNotFitIsRefused)
{
    // A viewer and a document that together exceed the line: the document must
    // not arrive cut short as the name of some other file.
    std::string viewer = "C:\\VIEW.EXE";
    std::string document = "C:\\" + std::string(250, 'd') + ".DOC";  // 257 characters
    WCHAR line[kCommandLineSize] = {};
    ASSERT_TRUE(AppendPath(line, kCommandLineSize, viewer));
    ASSERT_TRUE(AppendText(line, kCommandLineSize, " "));
    EXPECT_FALSE(AppendPath(line, kCommandLineSize, document));
    EXPECT_EQ(Narrow(line), viewer + " ");
}

TEST(AppendCommandText, FullOrUnterminatedLineTakesNothing)
{
    WCHAR line[4] = {'a', 'b', 'c', 'd'};  // no terminating zero within the buffer
    EXPECT_FALSE(AppendText(line, 4, ""));
    EXPECT_FALSE(AppendPath(line, 4, ""));
    WCHAR empty[1] = {};
    EXPECT_TRUE(AppendText(empty, 1, ""));
    EXPECT_FALSE(AppendText(empty, 1, "x"));
}

}  // namespace
