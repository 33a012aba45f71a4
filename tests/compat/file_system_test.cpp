// Renaming and temporary names of the host stand-in: the rules the saver's
// replace-when-complete step depends on.
#include "compat/win32_stand_in.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <string.h>
#include <string>
#include <vector>

namespace {

using testsupport::Bytes;
using Names = std::vector<std::string>;

class FileSystemTest : public ::testing::Test {
protected:
    testsupport::TempDir dir_;
};

TEST_F(FileSystemTest, MoveRenamesAndReplacesWhenAsked)
{
    testsupport::WriteFileBytes(dir_.Path("new"), {1, 2});
    EXPECT_TRUE(MoveFileExA(dir_.Path("new").c_str(), dir_.Path("target").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(dir_.List(), (Names{"target"}));

    testsupport::WriteFileBytes(dir_.Path("new"), {3, 4, 5});
    EXPECT_FALSE(MoveFileExA(dir_.Path("new").c_str(), dir_.Path("target").c_str(), 0));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("target")), (Bytes{1, 2}));

    EXPECT_TRUE(MoveFileExA(dir_.Path("new").c_str(), dir_.Path("target").c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("target")), (Bytes{3, 4, 5}));
    EXPECT_EQ(dir_.List(), (Names{"target"}));
}

TEST_F(FileSystemTest, MoveRefusesAReadOnlyTargetEvenForRoot)
{
    testsupport::WriteFileBytes(dir_.Path("new"), {1});
    testsupport::WriteFileBytes(dir_.Path("target"), {9, 9});
    testsupport::MakeReadOnly(dir_.Path("target"));
    EXPECT_FALSE(MoveFileExA(dir_.Path("new").c_str(), dir_.Path("target").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("target")), (Bytes{9, 9}));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("new")), (Bytes{1}));
}

TEST_F(FileSystemTest, MoveRefusesADirectoryTarget)
{
    testsupport::WriteFileBytes(dir_.Path("new"), {1});
    testsupport::MakeDirectory(dir_.Path("target"));  // empty: rename would replace it
    EXPECT_FALSE(MoveFileExA(dir_.Path("new").c_str(), dir_.Path("target").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(testsupport::FileExists(dir_.Path("new")));
    EXPECT_EQ(dir_.List(), (Names{"new", "target"}));
}

TEST_F(FileSystemTest, MoveOfAMissingFileFails)
{
    EXPECT_FALSE(MoveFileExA(dir_.Path("absent").c_str(), dir_.Path("target").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(MoveFileExA(dir_.Path("absent").c_str(), dir_.Path("target").c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_TRUE(dir_.List().empty());
}

TEST_F(FileSystemTest, TemporaryNamesAreNewEmptyFiles)
{
    std::set<std::string> seen;
    for (int i = 0; i < 300; ++i) {
        char name[MAX_PATH];
        UINT number = GetTempFileNameA(dir_.path().c_str(), "QJXYZ", 0, name);
        ASSERT_NE(number, 0u);
        ASSERT_LE(number, 0xFFFFu);
        char expected[MAX_PATH];
        snprintf(expected, sizeof expected, "%s/QJX%X.TMP", dir_.path().c_str(), number);
        EXPECT_STREQ(name, expected);
        EXPECT_TRUE(seen.insert(name).second) << name;
        EXPECT_TRUE(testsupport::ReadFileBytes(name).empty());
    }
    EXPECT_EQ(dir_.List().size(), 300u);
}

TEST_F(FileSystemTest, TemporaryNameAfterATrailingSeparator)
{
    char name[MAX_PATH];
    std::string directory = dir_.path() + "/";
    ASSERT_NE(GetTempFileNameA(directory.c_str(), "AB", 0, name), 0u);
    EXPECT_EQ(strncmp(name, (directory + "AB").c_str(), directory.size() + 2), 0);
    EXPECT_EQ(strstr(name, "//"), nullptr);
}

TEST_F(FileSystemTest, TemporaryNameFailsWhereNoFileCanBeMade)
{
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(dir_.Path("absent").c_str(), "QJX", 0, name), 0u);
    std::string deep = dir_.path() + "/" + std::string(MAX_PATH - 14 - dir_.path().size(), 'd');
    EXPECT_EQ(GetTempFileNameA(deep.c_str(), "QJX", 0, name), 0u);
    EXPECT_EQ(GetTempFileNameA(dir_.path().c_str(), "QJX", 5, name), 0u);  // only system-picked numbers
    EXPECT_TRUE(dir_.List().empty());
}

}  // namespace
