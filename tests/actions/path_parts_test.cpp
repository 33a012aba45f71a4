// Path splitting, and the Windows-directory test built on it.
#include "actions/path_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using actions::kPathPartSize;
using actions::LiesDirectlyIn;
using actions::SamePathPart;
using actions::SplitPath;

struct Parts {
    std::string drive, directory, name, extension;
};

Parts Split(const std::string& path)
{
    char drive[kPathPartSize], directory[kPathPartSize], name[kPathPartSize], extension[kPathPartSize];
    SplitPath(path.c_str(), drive, directory, name, extension);
    return {drive, directory, name, extension};
}

struct SplitCase {
    const char* path;
    Parts parts;
};

TEST(SplitPath, PartsByTheSeparatorAndDotRules)
{
    const SplitCase cases[] = {
        {"C:\\TEMP\\QJX3F.TMP", {"C:", "\\TEMP\\", "QJX3F", ".TMP"}},
        {"TEMP$$$.$$$", {"", "", "TEMP$$$", ".$$$"}},
        {"c:\\windows\\MYSAVER.SCR", {"c:", "\\windows\\", "MYSAVER", ".SCR"}},
        {"C:\\WINDOWS\\", {"C:", "\\WINDOWS\\", "", ""}},
        {"C:", {"C:", "", "", ""}},
        {"C:NAME.EXT", {"C:", "", "NAME", ".EXT"}},
        {"C", {"", "", "C", ""}},
        {"", {"", "", "", ""}},
        // Either separator ends the directory; the last one counts.
        {"C:/WINDOWS/SUB\\X.SCR", {"C:", "/WINDOWS/SUB\\", "X", ".SCR"}},
        {"\\\\server\\share\\a.b", {"", "\\\\server\\share\\", "a", ".b"}},
        // Only the last dot of the final component starts the extension.
        {"a.b\\c.d.e", {"", "a.b\\", "c.d", ".e"}},
        {"dir.x\\noext", {"", "dir.x\\", "noext", ""}},
        {".profile", {"", "", "", ".profile"}},
        {"name.", {"", "", "name", "."}},
        // A colon elsewhere is not a drive.
        {"ab:c", {"", "", "ab:c", ""}},
    };
    for (const SplitCase& c : cases) {
        Parts parts = Split(c.path);
        EXPECT_EQ(parts.drive, c.parts.drive) << c.path;
        EXPECT_EQ(parts.directory, c.parts.directory) << c.path;
        EXPECT_EQ(parts.name, c.parts.name) << c.path;
        EXPECT_EQ(parts.extension, c.parts.extension) << c.path;
    }
}

TEST(SplitPath, PartsNotAskedForAreLeftAlone)
{
    char directory[kPathPartSize] = "untouched";
    char extension[kPathPartSize];
    SplitPath("C:\\A\\B.C", nullptr, directory, nullptr, extension);
    EXPECT_STREQ(directory, "\\A\\");
    EXPECT_STREQ(extension, ".C");
}

TEST(SplitPath, OnlyTheFirst260CharactersCountAndPartsAreCutTo255)
{
    // A 300-character name: the name keeps 255, and the dot beyond 260 is unseen.
    std::string path = "C:\\" + std::string(300, 'n') + ".EXT";
    Parts parts = Split(path);
    EXPECT_EQ(parts.drive, "C:");
    EXPECT_EQ(parts.directory, "\\");
    EXPECT_EQ(parts.name, std::string(255, 'n'));
    EXPECT_EQ(parts.extension, "");

    // A separator at index 259 still counts; one at index 260 does not.
    std::string inside = std::string(259, 'd') + "\\" + "tail.x";
    EXPECT_EQ(Split(inside).directory, std::string(255, 'd'));
    EXPECT_EQ(Split(inside).name, "");
    std::string outside = std::string(260, 'd') + "\\" + "tail.x";
    EXPECT_EQ(Split(outside).directory, "");
    EXPECT_EQ(Split(outside).name, std::string(255, 'd'));

    // An extension is cut at 255 too.
    std::string longExtension = "a." + std::string(257, 'e');
    EXPECT_EQ(Split(longExtension).extension, "." + std::string(254, 'e'));
}

TEST(SamePathPart, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(SamePathPart("\\WINDOWS\\", "\\windows\\"));
    EXPECT_TRUE(SamePathPart("", ""));
    EXPECT_FALSE(SamePathPart("\\WINDOWS\\", "\\WINDOWS"));
    EXPECT_FALSE(SamePathPart("\\WINDOWS", "\\WINDOWS\\"));
    EXPECT_FALSE(SamePathPart("/WINDOWS/", "\\WINDOWS\\"));
    // Letters outside a-z are compared as they are (no locale folding).
    EXPECT_FALSE(SamePathPart("\xE9", "\xC9"));
    EXPECT_FALSE(SamePathPart("@", "`"));
    EXPECT_FALSE(SamePathPart("[", "{"));
}

struct PlaceCase {
    const char* path;
    const char* windows;
    bool inside;
};

TEST(LiesDirectlyIn, OnlyFilesDirectlyInTheWindowsDirectory)
{
    const PlaceCase cases[] = {
        {"c:\\windows\\MYSAVER.SCR", "C:\\WINDOWS", true},
        {"C:\\WINDOWS\\MYSAVER.SCR", "C:\\WINDOWS\\", true},  // no second separator is added
        {"C:\\WINDOWS\\MYSAVER.SCR", "c:\\windows", true},
        {"C:\\WINDOWS\\SUB\\X.SCR", "C:\\WINDOWS", false},
        {"C:/WINDOWS/MYSAVER.SCR", "C:\\WINDOWS", false},
        {"D:\\WINDOWS\\MYSAVER.SCR", "C:\\WINDOWS", false},
        {"\\WINDOWS\\MYSAVER.SCR", "C:\\WINDOWS", false},
        {"C:\\WINDOW\\MYSAVER.SCR", "C:\\WINDOWS", false},
        {"C:\\MYSAVER.SCR", "C:\\", true},
        {"C:\\MYSAVER.SCR", "C:", true},
        // A directory reported with "/" at its end still gets its "\\".
        {"C:\\WINDOWS/\\X.SCR", "C:\\WINDOWS/", true},
        // No Windows directory: only a bare name lies "in" it.
        {"C:\\WINDOWS\\X.SCR", "", false},
        {"X.SCR", "", true},
    };
    for (const PlaceCase& c : cases)
        EXPECT_EQ(LiesDirectlyIn(c.path, c.windows), c.inside) << c.path << " in " << c.windows;
}

TEST(LiesDirectlyIn, WindowsDirectoryOfTheLongestLength)
{
    std::string windows = "C:\\" + std::string(256, 'w');  // 259 characters, the most there can be
    EXPECT_TRUE(LiesDirectlyIn((windows + "\\X.SCR").c_str(), windows.c_str()));
}

}  // namespace
