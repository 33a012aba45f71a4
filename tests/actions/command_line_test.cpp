// Child command lines: quoting of paths with blanks and refusal of lines that
// do not fit their buffer.
#include "actions/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using actions::AppendCommandPath;
using actions::AppendCommandText;
using actions::kCommandLineSize;

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
        char line[kCommandLineSize] = "start:";
        bool done = AppendCommandPath(line, sizeof line, c.path);
        EXPECT_EQ(done, c.expected != nullptr) << c.path;
        EXPECT_EQ(std::string(line), std::string("start:") + (c.expected ? c.expected : "")) << c.path;
    }
}

TEST(AppendCommandPath, SaverAndViewerLinesAsTheActionsBuildThem)
{
    char line[kCommandLineSize] = "";
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, "C:\\users\\me\\Temp Dir\\QJX1.TMP"));
    ASSERT_TRUE(AppendCommandText(line, sizeof line, " /S"));
    EXPECT_STREQ(line, "\"C:\\users\\me\\Temp Dir\\QJX1.TMP\" /S");

    line[0] = '\0';
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, "C:\\Program Files\\view.exe"));
    ASSERT_TRUE(AppendCommandText(line, sizeof line, " "));
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, "C:\\My Temp\\QJX1.DOC"));
    EXPECT_STREQ(line, "\"C:\\Program Files\\view.exe\" \"C:\\My Temp\\QJX1.DOC\"");
}

// The longest saver path that still fits, for each way of writing it.
TEST(AppendCommandPath, LongestLinesFitAndOneMoreCharacterIsRefused)
{
    // Unquoted: 260 characters and " /S" fill all 264 bytes.
    std::string plain = "C:\\" + std::string(257, 'p');
    char line[kCommandLineSize] = "";
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, plain.c_str()));
    ASSERT_TRUE(AppendCommandText(line, sizeof line, " /S"));
    EXPECT_EQ(std::string(line), plain + " /S");

    line[0] = '\0';
    std::string longer = plain + "p";
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, longer.c_str()));
    EXPECT_FALSE(AppendCommandText(line, sizeof line, " /S"));
    EXPECT_EQ(std::string(line), longer) << "a refused append leaves the line as it was";

    // Quoted: the two quotes take two of the bytes.
    std::string blank = "C:\\a b\\" + std::string(252, 'q');  // 259 characters
    line[0] = '\0';
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, blank.c_str()));
    EXPECT_FALSE(AppendCommandText(line, sizeof line, " /S"));
    line[0] = '\0';
    std::string shorter = blank.substr(0, 258);
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, shorter.c_str()));
    ASSERT_TRUE(AppendCommandText(line, sizeof line, " /S"));
    EXPECT_EQ(std::string(line), "\"" + shorter + "\" /S");
}

TEST(AppendCommandPath, QuotedPathThatDoesNotFitIsRefusedNotCut)
{
    // 262 characters, 264 with the quotes: no room left for the zero.
    std::string blank = "C:\\a b\\" + std::string(255, 'q');
    for (size_t size : {size_t(263), size_t(264)}) {
        char line[kCommandLineSize] = "";
        EXPECT_FALSE(AppendCommandPath(line, size, blank.c_str())) << size;
        EXPECT_STREQ(line, "") << size;
    }
    char line[kCommandLineSize + 1] = "";
    EXPECT_TRUE(AppendCommandPath(line, sizeof line, blank.c_str()));
    EXPECT_EQ(std::string(line), "\"" + blank + "\"");
}

TEST(AppendCommandPath, ViewerLineThatDoesNotFitIsRefused)
{
    // A viewer and a document that together exceed the line: the document must
    // not arrive cut short as the name of some other file.
    std::string viewer = "C:\\VIEW.EXE";
    std::string document = "C:\\" + std::string(250, 'd') + ".DOC";  // 257 characters
    char line[kCommandLineSize] = "";
    ASSERT_TRUE(AppendCommandPath(line, sizeof line, viewer.c_str()));
    ASSERT_TRUE(AppendCommandText(line, sizeof line, " "));
    EXPECT_FALSE(AppendCommandPath(line, sizeof line, document.c_str()));
    EXPECT_EQ(std::string(line), viewer + " ");
}

TEST(AppendCommandText, FullOrUnterminatedLineTakesNothing)
{
    char line[4] = {'a', 'b', 'c', 'd'};  // no terminating zero within the buffer
    EXPECT_FALSE(AppendCommandText(line, sizeof line, ""));
    EXPECT_FALSE(AppendCommandPath(line, sizeof line, ""));
    char empty[1] = "";
    EXPECT_TRUE(AppendCommandText(empty, sizeof empty, ""));
    EXPECT_FALSE(AppendCommandText(empty, sizeof empty, "x"));
}

}  // namespace
