// WriteSaverFile: a complete saver replaces the destination; anything less leaves
// the destination as it was and no temporary file behind.
#include "package/installer_state.h"
#include "package/package_format.h"
#include "package/reader.h"
#include "package/saver_extract.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

using namespace package;
using testsupport::Bytes;
using testsupport::PackageBuilder;
using testsupport::PutU32;
using Names = std::vector<std::string>;

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saver_ = testsupport::RandomBytes(30000, 41);
        Bytes text = testsupport::CompressibleBytes(50000);
        saver_.insert(saver_.end(), text.begin(), text.end());
        PackageBuilder builder;
        builder.Document(testsupport::CompressibleBytes(100)).Saver(saver_, "MYSAVER.SCR");
        package_ = builder.Build();
        offset_ = builder.chunkOffsets()[1];
    }

    std::string Exe() const { return dir_.Path("setup.exe"); }
    std::string Destination() const { return dir_.Path("MYSAVER.SCR"); }

    int Extract(const Bytes& package, DWORD offset)
    {
        testsupport::WriteFileBytes(Exe(), package);
        return WriteSaverFile(testsupport::Wide(Destination()).c_str(), testsupport::Wide(Exe()).c_str(), offset);
    }

    testsupport::TempDir dir_;
    Bytes saver_;
    Bytes package_;
    DWORD offset_ = 0;
};

TEST_F(ExtractTest, WritesTheSaverByteForByteTwice)
{
    testsupport::WriteFileBytes(Exe(), package_);
    // The offset the reader finds is the one extraction is given.
    ClearInstallerRecords();
    scrpos = 0;
    ASSERT_EQ(LoadInstaller(nullptr, testsupport::Wide(Exe()).c_str()), 1);
    ReleaseInstallerBlocks();
    ASSERT_EQ(scrpos, offset_);

    ASSERT_EQ(WriteSaverFile(testsupport::Wide(Destination()).c_str(), testsupport::Wide(Exe()).c_str(), scrpos), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination()), saver_);
    // Preview, then install: the second run replaces the first file.
    ASSERT_EQ(WriteSaverFile(testsupport::Wide(Destination()).c_str(), testsupport::Wide(Exe()).c_str(), scrpos), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination()), saver_);
    EXPECT_EQ(dir_.List(), (Names{"MYSAVER.SCR", "setup.exe"}));
}

TEST_F(ExtractTest, ReplacesAnExistingFile)
{
    testsupport::WriteFileBytes(Destination(), testsupport::RandomBytes(200000, 42));
    ASSERT_EQ(Extract(package_, offset_), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination()), saver_);
    EXPECT_EQ(dir_.List(), (Names{"MYSAVER.SCR", "setup.exe"}));
}

TEST_F(ExtractTest, WorkedExampleSaver)
{
    Bytes program = testsupport::RandomBytes(60000 - 11, 43);
    PackageBuilder builder;
    builder.Stub(testsupport::RandomBytes(200000, 44)).SaverStream(testsupport::StoredZlib(program));
    ASSERT_EQ(Extract(builder.Build(), 201370), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination()), program);
}

TEST_F(ExtractTest, EmptySaverGivesAnEmptyFile)
{
    PackageBuilder builder;
    builder.Saver({});
    Bytes package = builder.Build();
    ASSERT_EQ(Extract(package, builder.chunkOffsets()[0]), 1);
    EXPECT_TRUE(testsupport::ReadFileBytes(Destination()).empty());
}

struct Failure {
    const char* what;
    // Edits the package (offset of the saver chunk given) and may move the offset.
    std::function<void(Bytes& package, DWORD& offset)> edit;
};

TEST_F(ExtractTest, FailureKeepsTheDestinationAndLeavesNoTemporaryFile)
{
    const DWORD record = kSaverRecordSize;
    const Failure failures[] = {
        {"stream byte damaged", [record](Bytes& p, DWORD& at) { p[at + record + 100] ^= 0x5A; }},
        {"Adler-32 wrong", [record](Bytes& p, DWORD& at) {
             uint32_t length = testsupport::GetU32(p, at + 4);
             p[at + length - 1] ^= 0x01;
         }},
        {"stream cut short by its length", [](Bytes& p, DWORD& at) {
             PutU32(p, at + 4, testsupport::GetU32(p, at + 4) - 10);
         }},
        {"compressed length 0", [record](Bytes& p, DWORD& at) { PutU32(p, at + 4, record); }},
        {"length shorter than the record", [](Bytes& p, DWORD& at) { PutU32(p, at + 4, 8); }},
        {"file ends inside the stream", [record](Bytes& p, DWORD& at) { p.resize(at + record + 5000); }},
        {"file ends inside the record", [](Bytes& p, DWORD& at) { p.resize(at + 200); }},
        {"record tag in capitals", [](Bytes& p, DWORD& at) { p[at] = 'I'; }},
        {"record tag of a document", [](Bytes& p, DWORD& at) { PutU32(p, at, kTagDocument); }},
        {"offset one byte off", [](Bytes&, DWORD& at) { at += 1; }},
        {"offset 0, the stub image", [](Bytes&, DWORD& at) { at = 0; }},
        {"offset at the end of the file", [](Bytes& p, DWORD& at) { at = DWORD(p.size()); }},
        {"offset past the end of the file", [](Bytes& p, DWORD& at) { at = DWORD(p.size() + 1000); }},
        {"offset 2^31", [](Bytes&, DWORD& at) { at = 0x80000000u; }},
        {"offset all ones", [](Bytes&, DWORD& at) { at = 0xFFFFFFFFu; }},
    };
    const Bytes previous = testsupport::RandomBytes(777, 45);

    for (bool existing : {true, false}) {
        for (const Failure& failure : failures) {
            SCOPED_TRACE(std::string(failure.what) + (existing ? ", destination exists" : ", no destination"));
            if (existing)
                testsupport::WriteFileBytes(Destination(), previous);
            else
                remove(Destination().c_str());
            Bytes package = package_;
            DWORD offset = offset_;
            failure.edit(package, offset);
            EXPECT_EQ(Extract(package, offset), 0);
            if (existing) {
                EXPECT_EQ(testsupport::ReadFileBytes(Destination()), previous);
                EXPECT_EQ(dir_.List(), (Names{"MYSAVER.SCR", "setup.exe"}));
            } else {
                EXPECT_EQ(dir_.List(), (Names{"setup.exe"}));
            }
        }
    }
}

TEST_F(ExtractTest, ReadOnlyDestinationIsRefusedAndKept)
{
    const Bytes previous = testsupport::RandomBytes(512, 46);
    testsupport::WriteFileBytes(Destination(), previous);
    testsupport::MakeReadOnly(Destination());
    EXPECT_EQ(Extract(package_, offset_), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination()), previous);
    EXPECT_EQ(dir_.List(), (Names{"MYSAVER.SCR", "setup.exe"}));
}

TEST_F(ExtractTest, DirectoryInTheWayIsRefused)
{
    testsupport::MakeDirectory(Destination());
    EXPECT_EQ(Extract(package_, offset_), 0);
    EXPECT_EQ(dir_.List(), (Names{"MYSAVER.SCR", "setup.exe"}));
}

TEST_F(ExtractTest, MissingDirectoryCreatesNothing)
{
    testsupport::WriteFileBytes(Exe(), package_);
    std::string destination = dir_.Path("missing") + testsupport::kSeparator + "MYSAVER.SCR";
    EXPECT_EQ(WriteSaverFile(testsupport::Wide(destination).c_str(), testsupport::Wide(Exe()).c_str(), offset_), 0);
    EXPECT_FALSE(testsupport::FileExists(dir_.Path("missing")));
    EXPECT_EQ(dir_.List(), (Names{"setup.exe"}));
}

TEST_F(ExtractTest, MissingSourceCreatesNothing)
{
    testsupport::WriteFileBytes(Destination(), {1, 2, 3});
    const auto absent = testsupport::Wide(dir_.Path("absent.exe"));
    EXPECT_EQ(WriteSaverFile(testsupport::Wide(Destination()).c_str(), absent.c_str(), offset_), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(Destination()), (Bytes{1, 2, 3}));
    EXPECT_EQ(dir_.List(), (Names{"MYSAVER.SCR"}));
}

TEST(DirectoryOf, KeepsTheSeparatorAndTheRoot)
{
    struct Case {
        const char* path;
        const char* directory;
    };
    const Case cases[] = {
        {"C:\\WINDOWS\\MYSAVER.SCR", "C:\\WINDOWS\\"},
        {"C:\\MYSAVER.SCR", "C:\\"},
        {"C:MYSAVER.SCR", "C:"},
        {"\\MYSAVER.SCR", "\\"},
        {"/tmp/x/MYSAVER.SCR", "/tmp/x/"},
        {"/MYSAVER.SCR", "/"},
        {"a/b\\c", "a/b\\"},
        {"MYSAVER.SCR", "."},
        {"dir\\", "dir\\"},
        {"x:y:z", "x:"},
        {"C:\\Загрузки\\Ελληνικά 日本\\Setup.exe", "C:\\Загрузки\\Ελληνικά 日本\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        WCHAR directory[MAX_PATH];
        ASSERT_TRUE(DirectoryOf(testsupport::Wide(c.path).c_str(), directory, MAX_PATH));
        EXPECT_EQ(std::basic_string<WCHAR>(directory), testsupport::Wide(c.directory));
    }
}

TEST(DirectoryOf, RefusesWhatDoesNotFit)
{
    // Sizes count UTF-16 units.
    WCHAR directory[8];
    EXPECT_TRUE(DirectoryOf(testsupport::Wide("абвгде\\x").c_str(), directory, 8));
    EXPECT_EQ(std::basic_string<WCHAR>(directory), testsupport::Wide("абвгде\\"));
    EXPECT_FALSE(DirectoryOf(testsupport::Wide("abcdefg\\x").c_str(), directory, 8));
    WCHAR tiny[1];
    EXPECT_FALSE(DirectoryOf(testsupport::Wide("name").c_str(), tiny, 1));
}

}  // namespace
