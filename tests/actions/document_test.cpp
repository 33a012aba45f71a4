// Document display with the test prefix's .doc association pointing at the
// probe, and the document writer on its own.
#include "actions/document.h"

#include "action_test_support.h"
#include "package/installer_state.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace actiontest;
using testsupport::Bytes;
using testsupport::FileExists;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

// Both the viewer's and the temporary directory's paths hold blanks: they must
// reach the viewer whole.
class DocumentDisplay : public ::testing::Test {
protected:
    DocumentDisplay()
        : tempDirectory_(root_.Path("temp with blank")),
          viewer_(root_.Path("viewer dir") + "\\doc viewer.exe"),
          report_(root_.Path("report.txt"))
    {
        testsupport::MakeDirectory(tempDirectory_);
        testsupport::MakeDirectory(root_.Path("viewer dir"));
        EXPECT_TRUE(CopyFileA(ProbePath().c_str(), viewer_.c_str(), FALSE)) << ProbePath();
    }

    void SetUp() override
    {
        oldDoc_ = doc;
        oldRecord_ = instdoc;
    }

    void TearDown() override
    {
        doc = oldDoc_;
        instdoc = oldRecord_;
    }

    std::string ViewerCommand() const { return "\"" + viewer_ + "\" \"%1\""; }

    // Runs DisplayDocument on `content` with the record's `dwSize`.
    int Display(const Bytes& content, DWORD dwSize)
    {
        ScopedBlock block(content);
        doc = block.get();
        instdoc.dwSize = dwSize;
        ScopedTempDirectory temp(tempDirectory_);
        ScopedEnvironment report(kReportVariable, report_.c_str());
        return DisplayDocument(nullptr);
    }

    Bytes Copied() const
    {
        std::string copy = report_ + ".copy";
        return FileExists(copy) ? ReadFileBytes(copy) : Bytes{};
    }

    TempDir root_;
    std::string tempDirectory_;
    std::string viewer_;
    std::string report_;
    HGLOBAL oldDoc_ = nullptr;
    package::InstDoc oldRecord_ = {};
};

TEST_F(DocumentDisplay, ViewerGetsTheDocumentWholeAndTheFileGoesAfterwards)
{
    ScopedDocAssociation association(ViewerCommand());
    Bytes content = testsupport::RandomBytes(1000, 7);
    ASSERT_EQ(Display(content, 1000), 1);

    ProbeReport report = ReadProbeReport(report_);
    ASSERT_EQ(report["end"], "1") << "the viewer did not run";
    EXPECT_EQ(Copied(), content);
    // One argument: the document's path was not split at a blank.
    EXPECT_EQ(report["argc"], "2") << report["command"];
    EXPECT_EQ(report["self_long"], LongPath(viewer_)) << report["command"];

    std::string document = report["arg1_long"];
    std::string folder = document.substr(0, document.find_last_of('\\'));
    std::string name = document.substr(document.find_last_of('\\') + 1);
    EXPECT_TRUE(SamePathIgnoringCase(folder, LongPath(tempDirectory_))) << document;
    EXPECT_EQ(name.substr(0, 3), "QJX") << document;
    EXPECT_EQ(name.substr(name.size() - 4), ".DOC") << document;

    EXPECT_EQ(report["startup_flags"], std::to_string(STARTF_USESHOWWINDOW));
    EXPECT_EQ(report["show_window"], std::to_string(SW_SHOWMAXIMIZED));
    EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{}) << "the .DOC or the .TMP file is left";
}

TEST_F(DocumentDisplay, RecordLengthDecidesHowMuchOfTheBlockIsShown)
{
    ScopedDocAssociation association(ViewerCommand());
    Bytes content = testsupport::RandomBytes(1024, 11);
    const struct {
        DWORD dwSize;
        size_t shown;
    } cases[] = {
        {0, 1024},            // no length: the whole block
        {400, 400},           // the document is shorter than its block
        {1, 1},
        {1024, 1024},
        {5000, 1024},         // longer than the block: only what is there
        {0x80000000u, 1024},  // negative as a long, still longer than the block
    };
    for (const auto& c : cases) {
        DeleteFileA((report_ + ".copy").c_str());
        ASSERT_EQ(Display(content, c.dwSize), 1) << c.dwSize;
        EXPECT_EQ(Copied(), Bytes(content.begin(), content.begin() + long(c.shown))) << c.dwSize;
        EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{}) << c.dwSize;
    }
}

TEST_F(DocumentDisplay, NoAssociationEndsSilentlyWithoutAFile)
{
    ScopedDocAssociation association("");
    EXPECT_EQ(Display(testsupport::RandomBytes(100, 3), 100), 0);
    EXPECT_FALSE(FileExists(report_));
    EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{});
}

TEST_F(DocumentDisplay, ViewerThatCannotStartLeavesNoFile)
{
    // The association names a file that is no program.
    std::string notAProgram = root_.Path("not a program.exe");
    testsupport::WriteFileBytes(notAProgram, testsupport::RandomBytes(500, 5));
    ScopedDocAssociation association("\"" + notAProgram + "\" \"%1\"");
    EXPECT_EQ(Display(testsupport::RandomBytes(100, 3), 100), 0);
    EXPECT_FALSE(FileExists(report_));
    EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{});
}

TEST_F(DocumentDisplay, DocumentThatCannotBeWrittenLeavesNoFile)
{
    ScopedDocAssociation association(ViewerCommand());
    // No block to write from.
    doc = nullptr;
    instdoc.dwSize = 100;
    {
        ScopedTempDirectory temp(tempDirectory_);
        ScopedEnvironment report(kReportVariable, report_.c_str());
        EXPECT_EQ(DisplayDocument(nullptr), 0);
    }
    EXPECT_FALSE(FileExists(report_));
    EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{});
}

TEST_F(DocumentDisplay, WithoutATemporaryDirectoryTheFallbackNameIsUsedAndRemoved)
{
    ScopedDocAssociation association(ViewerCommand());
    std::string work = root_.Path("work");
    testsupport::MakeDirectory(work);
    // An older document of the fallback name is overwritten, then removed.
    testsupport::WriteFileBytes(work + "\\TEMP$$$.DOC", Bytes(5000, 'x'));
    ScopedCurrentDirectory current(work);
    Bytes content = testsupport::RandomBytes(700, 21);
    ScopedBlock block(content);
    doc = block.get();
    instdoc.dwSize = 700;
    int result;
    {
        ScopedTempDirectory temp(root_.Path("missing"));
        ScopedEnvironment report(kReportVariable, report_.c_str());
        result = DisplayDocument(nullptr);
    }
    ProbeReport report = ReadProbeReport(report_);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(report["arg1"], "TEMP$$$.DOC");
    EXPECT_EQ(Copied(), content);
    EXPECT_EQ(ListDirectory(work), std::vector<std::string>{});
}

class WriteBinaryFileTest : public ::testing::Test {
protected:
    TempDir dir_;
};

TEST_F(WriteBinaryFileTest, WritesTheLeadingBytesOfTheBlock)
{
    Bytes content = testsupport::RandomBytes(256, 1);
    ScopedBlock block(content);
    const struct {
        long size;
        size_t written;
    } cases[] = {{0, 256}, {1, 1}, {255, 255}, {256, 256}, {257, 256}, {-1, 256}};
    for (const auto& c : cases) {
        std::string path = dir_.Path("out.bin");
        ASSERT_EQ(WriteBinaryFile(testsupport::Wide(path).c_str(), block.get(), c.size), 1) << c.size;
        EXPECT_EQ(ReadFileBytes(path), Bytes(content.begin(), content.begin() + long(c.written))) << c.size;
    }
}

TEST_F(WriteBinaryFileTest, ExistingFileIsTruncated)
{
    std::string path = dir_.Path("out.bin");
    testsupport::WriteFileBytes(path, Bytes(1000, 'z'));
    ScopedBlock block(Bytes{1, 2, 3});
    ASSERT_EQ(WriteBinaryFile(testsupport::Wide(path).c_str(), block.get(), 0), 1);
    EXPECT_EQ(ReadFileBytes(path), (Bytes{1, 2, 3}));
}

TEST_F(WriteBinaryFileTest, FailuresReturnZero)
{
    ScopedBlock block(Bytes{1, 2, 3});
    EXPECT_EQ(WriteBinaryFile(testsupport::Wide(dir_.Path("missing\\out.bin")).c_str(), block.get(), 0), 0);

    // A block that cannot be locked: the empty file stays for the caller to remove.
    std::string path = dir_.Path("unlocked.bin");
    EXPECT_EQ(WriteBinaryFile(testsupport::Wide(path).c_str(), nullptr, 3), 0);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadFileBytes(path).size(), 0u);
}

}  // namespace
