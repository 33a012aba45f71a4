// Renaming and temporary names of the host stand-in: the rules the saver's
// replace-when-complete step depends on.
#include "compat/utf16.h"
#include "compat/win32_stand_in.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <string.h>
#include <string>
#include <vector>

namespace {

using compat::Utf8FromWide;
using testsupport::Bytes;
using testsupport::Wide;
using Names = std::vector<std::string>;

BOOL Move(const std::string& existing, const std::string& replacement, DWORD flags)
{
    return MoveFileExW(Wide(existing).c_str(), Wide(replacement).c_str(), flags);
}

class FileSystemTest : public ::testing::Test {
protected:
    testsupport::TempDir dir_;
};

TEST_F(FileSystemTest, MoveRenamesAndReplacesWhenAsked)
{
    testsupport::WriteFileBytes(dir_.Path("new"), {1, 2});
    EXPECT_TRUE(Move(dir_.Path("new"), dir_.Path("target"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(dir_.List(), (Names{"target"}));

    testsupport::WriteFileBytes(dir_.Path("new"), {3, 4, 5});
    EXPECT_FALSE(Move(dir_.Path("new"), dir_.Path("target"), 0));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("target")), (Bytes{1, 2}));

    EXPECT_TRUE(Move(dir_.Path("new"), dir_.Path("target"), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("target")), (Bytes{3, 4, 5}));
    EXPECT_EQ(dir_.List(), (Names{"target"}));
}

TEST_F(FileSystemTest, MoveRefusesAReadOnlyTargetEvenForRoot)
{
    testsupport::WriteFileBytes(dir_.Path("new"), {1});
    testsupport::WriteFileBytes(dir_.Path("target"), {9, 9});
    testsupport::MakeReadOnly(dir_.Path("target"));
    EXPECT_FALSE(Move(dir_.Path("new"), dir_.Path("target"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("target")), (Bytes{9, 9}));
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("new")), (Bytes{1}));
}

TEST_F(FileSystemTest, MoveRefusesADirectoryTarget)
{
    testsupport::WriteFileBytes(dir_.Path("new"), {1});
    testsupport::MakeDirectory(dir_.Path("target"));  // empty: rename would replace it
    EXPECT_FALSE(Move(dir_.Path("new"), dir_.Path("target"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(testsupport::FileExists(dir_.Path("new")));
    EXPECT_EQ(dir_.List(), (Names{"new", "target"}));
}

TEST_F(FileSystemTest, MoveOfAMissingFileFails)
{
    EXPECT_FALSE(Move(dir_.Path("absent"), dir_.Path("target"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(Move(dir_.Path("absent"), dir_.Path("target"), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_TRUE(dir_.List().empty());
}

TEST_F(FileSystemTest, TemporaryNamesAreNewEmptyFiles)
{
    std::set<std::string> seen;
    for (int i = 0; i < 300; ++i) {
        WCHAR name[MAX_PATH];
        UINT number = GetTempFileNameW(Wide(dir_.path()).c_str(), u"QJXYZ", 0, name);
        ASSERT_NE(number, 0u);
        ASSERT_LE(number, 0xFFFFu);
        char expected[MAX_PATH];
        snprintf(expected, sizeof expected, "%s/QJX%X.TMP", dir_.path().c_str(), number);
        EXPECT_EQ(Utf8FromWide(name), expected);
        EXPECT_TRUE(seen.insert(Utf8FromWide(name)).second) << expected;
        EXPECT_TRUE(testsupport::ReadFileBytes(expected).empty());
    }
    EXPECT_EQ(dir_.List().size(), 300u);
}

TEST_F(FileSystemTest, TemporaryNameAfterATrailingSeparator)
{
    WCHAR name[MAX_PATH];
    std::string directory = dir_.path() + "/";
    ASSERT_NE(GetTempFileNameW(Wide(directory).c_str(), u"AB", 0, name), 0u);
    EXPECT_EQ(Utf8FromWide(name).rfind(directory + "AB", 0), 0u);
    EXPECT_EQ(Utf8FromWide(name).find("//"), std::string::npos);
}

TEST_F(FileSystemTest, TemporaryNameFailsWhereNoFileCanBeMade)
{
    WCHAR name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameW(Wide(dir_.Path("absent")).c_str(), u"QJX", 0, name), 0u);
    // MAX_PATH counts UTF-16 units, not the bytes of the Unix name.
    std::string deep = dir_.path() + "/" + std::string(MAX_PATH - 14 - dir_.path().size(), 'd');
    EXPECT_EQ(GetTempFileNameW(Wide(deep).c_str(), u"QJX", 0, name), 0u);
    EXPECT_EQ(GetTempFileNameW(Wide(dir_.path()).c_str(), u"QJX", 5, name), 0u);  // only system-picked numbers
    EXPECT_TRUE(dir_.List().empty());
}

}  // namespace
