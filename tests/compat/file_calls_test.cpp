// The classic file calls of the host stand-in keep Windows' contracts, which the
// package code relies on: exact counts, HFILE_ERROR, a signed 32-bit position;
// and they, with the renaming and temporary names, take UTF-16 paths in any script.
#include "compat/utf16.h"
#include "compat/win32_stand_in.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::Bytes;

HFILE Open(const std::string& path, int style)
{
    return OpenFileW(testsupport::Wide(path).c_str(), style);
}

class FileCallsTest : public ::testing::Test {
protected:
    std::string MakeFile(const std::string& name, const Bytes& bytes)
    {
        std::string path = dir_.Path(name);
        testsupport::WriteFileBytes(path, bytes);
        return path;
    }

    testsupport::TempDir dir_;
};

TEST_F(FileCallsTest, ReadsDeliverTheCountAskedForUntilTheEnd)
{
    Bytes content = testsupport::RandomBytes(100000, 1);
    HFILE file = Open(MakeFile("data", content), OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    Bytes got(content.size() + 10);
    EXPECT_EQ(_lread(file, got.data(), 70000), 70000u);
    // Short only at the end of the file, then nothing.
    EXPECT_EQ(_lread(file, got.data() + 70000, 40000), 30000u);
    EXPECT_EQ(_lread(file, got.data(), 1), 0u);
    got.resize(content.size());
    EXPECT_EQ(got, content);
    EXPECT_EQ(_lread(file, got.data(), 0), 0u);
    EXPECT_EQ(_lclose(file), 0);
}

TEST_F(FileCallsTest, ReadsFromAPipeAreCollectedToTheFullCount)
{
    // A pipe hands data over in pieces; the count must still be exact.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        for (int i = 0; i < 10; ++i) {
            char piece[100];
            memset(piece, 'a' + i, sizeof piece);
            if (write(fds[1], piece, sizeof piece) != ssize_t(sizeof piece))
                _exit(1);
            usleep(2000);
        }
        _exit(0);
    }
    close(fds[1]);
    char buffer[1000];
    EXPECT_EQ(_lread(fds[0], buffer, sizeof buffer), 1000u);
    EXPECT_EQ(buffer[999], 'j');
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
}

TEST_F(FileCallsTest, MissingOrUnopenedFilesGiveHfileError)
{
    EXPECT_EQ(Open(dir_.Path("absent"), OF_READ), HFILE_ERROR);
    EXPECT_EQ(Open((dir_.Path("absent") + "/x"), OF_READ), HFILE_ERROR);
    EXPECT_EQ(Open((dir_.Path("absent") + "/x"), OF_CREATE), HFILE_ERROR);
    char byte;
    EXPECT_EQ(_lread(HFILE_ERROR, &byte, 1), UINT(HFILE_ERROR));
    EXPECT_EQ(_lwrite(HFILE_ERROR, "x", 1), UINT(HFILE_ERROR));
    EXPECT_EQ(_llseek(HFILE_ERROR, 0, FILE_BEGIN), HFILE_ERROR);
    EXPECT_EQ(_lclose(HFILE_ERROR), HFILE_ERROR);
}

TEST_F(FileCallsTest, OpenForReadingRefusesWrites)
{
    HFILE file = Open(MakeFile("data", {1, 2, 3}), OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lwrite(file, "x", 1), UINT(HFILE_ERROR));
    _lclose(file);
    EXPECT_EQ(testsupport::ReadFileBytes(dir_.Path("data")), (Bytes{1, 2, 3}));
}

TEST_F(FileCallsTest, SeekPositionIsASigned32BitValue)
{
    HFILE file = Open(MakeFile("data", Bytes(1000, 7)), OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_llseek(file, 100, FILE_BEGIN), 100);
    EXPECT_EQ(_llseek(file, 50, FILE_CURRENT), 150);
    EXPECT_EQ(_llseek(file, -56, FILE_END), 944);
    EXPECT_EQ(_llseek(file, 0, FILE_END), 1000);
    EXPECT_EQ(_llseek(file, 10, 3), HFILE_ERROR);  // no such origin

    // A position before the start is refused, and the file stays where it was.
    EXPECT_EQ(_llseek(file, 300, FILE_BEGIN), 300);
    EXPECT_EQ(_llseek(file, -1, FILE_BEGIN), HFILE_ERROR);
    EXPECT_EQ(_llseek(file, -1001, FILE_END), HFILE_ERROR);
    EXPECT_EQ(_llseek(file, -301, FILE_CURRENT), HFILE_ERROR);
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 300);

    // The largest position is 2^31 - 1; one beyond cannot be reported.
    EXPECT_EQ(_llseek(file, 0x7FFFFFFF, FILE_BEGIN), 0x7FFFFFFF);
    EXPECT_EQ(_llseek(file, 1, FILE_CURRENT), HFILE_ERROR);
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 0x7FFFFFFF);
    EXPECT_EQ(_llseek(file, 0x7FFFFFFF, FILE_END), HFILE_ERROR);
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 0x7FFFFFFF);
    _lclose(file);
}

TEST_F(FileCallsTest, FileBeyond2GiBCannotBeMeasured)
{
    // Sparse: no disk space is used.
    std::string path = dir_.Path("big");
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t(0x80000000LL) + 4096), 0);
    close(fd);
    HFILE file = Open(path, OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_llseek(file, 10, FILE_BEGIN), 10);
    EXPECT_EQ(_llseek(file, 0, FILE_END), HFILE_ERROR);
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 10);
    EXPECT_EQ(_llseek(file, -4097, FILE_END), 0x7FFFFFFF);
    _lclose(file);
}

TEST_F(FileCallsTest, CreateTruncatesAnExistingFile)
{
    std::string path = MakeFile("data", testsupport::RandomBytes(5000, 2));
    HFILE file = Open(path, OF_CREATE);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_llseek(file, 0, FILE_END), 0);
    EXPECT_EQ(_lwrite(file, "abc", 3), 3u);
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(path), (Bytes{'a', 'b', 'c'}));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0200, 0u);
}

TEST_F(FileCallsTest, CreateRefusesAReadOnlyFileEvenForRoot)
{
    Bytes content = testsupport::RandomBytes(100, 3);
    std::string path = MakeFile("data", content);
    testsupport::MakeReadOnly(path);
    EXPECT_EQ(Open(path, OF_CREATE), HFILE_ERROR);
    EXPECT_EQ(testsupport::ReadFileBytes(path), content);
}

TEST_F(FileCallsTest, OpenForWritingKeepsTheContentAndRefusesReadOnlyFiles)
{
    std::string path = MakeFile("data", {1, 2, 3, 4});
    HFILE file = Open(path, OF_WRITE);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lwrite(file, "ab", 2), 2u);
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(path), (Bytes{'a', 'b', 3, 4}));

    testsupport::MakeReadOnly(path);
    EXPECT_EQ(Open(path, OF_WRITE), HFILE_ERROR);
    EXPECT_EQ(Open(path, OF_READWRITE), HFILE_ERROR);
    EXPECT_EQ(Open(dir_.Path("absent"), OF_WRITE), HFILE_ERROR);
}

TEST_F(FileCallsTest, CreateRefusesADirectory)
{
    testsupport::MakeDirectory(dir_.Path("sub"));
    EXPECT_EQ(Open(dir_.Path("sub"), OF_CREATE), HFILE_ERROR);
}

TEST_F(FileCallsTest, WriteToAFullDeviceReportsAnError)
{
    HFILE full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(_lwrite(full, "abc", 3), UINT(HFILE_ERROR));
    close(full);
}

// Each call the package code makes reaches the Unix file that the UTF-16 path
// names in UTF-8, the spelling Wine gives Windows names under a UTF-8 locale.
TEST_F(FileCallsTest, PathsInAnyScriptNameTheirUtf8Files)
{
    const struct {
        const char16_t* folder;
        const char* unixName;
    } cases[] = {
        {u"Café", "Café"},
        {u"Загрузки", "Загрузки"},
        {u"Ελληνικά 日本", "Ελληνικά 日本"},
        {u"🐟 saver", "🐟 saver"},  // a surrogate pair
        {u"half \xD800 pair", "half \uFFFD pair"},  // an unpaired surrogate has no UTF-8: U+FFFD stands in
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unixName);
        const std::string unixFolder = dir_.Path(c.unixName);
        testsupport::MakeDirectory(unixFolder);
        const std::u16string folder = testsupport::Wide(dir_.path()) + u"/" + c.folder;
        const std::u16string saver = folder + u"/заставка.scr";

        HFILE file = OpenFileW(saver.c_str(), OF_CREATE);
        ASSERT_NE(file, HFILE_ERROR);
        EXPECT_EQ(_lwrite(file, "saver", 5), 5u);
        _lclose(file);
        EXPECT_EQ(testsupport::ReadFileBytes(unixFolder + "/заставка.scr"), (Bytes{'s', 'a', 'v', 'e', 'r'}));
        file = OpenFileW(saver.c_str(), OF_READ);
        ASSERT_NE(file, HFILE_ERROR);
        char got[8] = {};
        EXPECT_EQ(_lread(file, got, sizeof got), 5u);
        _lclose(file);

        WCHAR temporary[MAX_PATH];
        ASSERT_NE(GetTempFileNameW(folder.c_str(), u"QJX", 0, temporary), 0u);
        EXPECT_EQ(compat::Utf8FromWide(temporary).rfind(unixFolder + "/QJX", 0), 0u);
        EXPECT_TRUE(testsupport::FileExists(compat::Utf8FromWide(temporary)));
        EXPECT_TRUE(MoveFileExW(temporary, saver.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
        EXPECT_TRUE(testsupport::ReadFileBytes(unixFolder + "/заставка.scr").empty()) << "replaced";
        EXPECT_TRUE(DeleteFileW(saver.c_str()));
        EXPECT_FALSE(DeleteFileW(saver.c_str()));
        EXPECT_FALSE(testsupport::FileExists(unixFolder + "/заставка.scr"));
    }
    EXPECT_EQ(dir_.List().size(), std::size(cases)) << "nothing made outside the folders";
}

}  // namespace
