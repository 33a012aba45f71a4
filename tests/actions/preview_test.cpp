// The preview on a screen: the probe, packed as the saver of a test installer,
// reports how it was started; message boxes are read and dismissed by a
// watcher thread.
#include "actions/preview.h"

#include "action_test_support.h"
#include "package/installer_state.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

namespace {

using namespace actiontest;
using testsupport::Bytes;
using testsupport::FileExists;
using testsupport::TempDir;

std::string installerPath;  // spath, as the narrow calls of the tests take it

BOOL SaverRunning()
{
    BOOL running = -1;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

class Preview : public ::testing::Test {
protected:
    Preview() : tempDirectory_(root_.Path("temp with blank")), report_(root_.Path("report.txt"))
    {
        testsupport::MakeDirectory(tempDirectory_);
    }

    void SetUp() override
    {
        hInst = GetModuleHandleA(nullptr);
        ASSERT_NE(owner_.get(), nullptr);
        UsePackage(testsupport::PackageBuilder().Saver(testsupport::ReadFileBytes(ProbePath())));
    }

    // Writes the installer made by `builder` and points spath and scrpos at its saver.
    void UsePackage(testsupport::PackageBuilder& builder)
    {
        package_ = builder.Build();
        installerPath = root_.Path("installer.exe");
        testsupport::WriteFileBytes(installerPath, package_);
        const std::wstring wide = testsupport::Wide(installerPath);
        wide.copy(spath, wide.size());
        spath[wide.size()] = 0;
        scrpos = builder.chunkOffsets().at(0);
    }

    // Runs DoPreview with the temporary directory `temp`, dismissing any box.
    int Run(const std::string& temp)
    {
        ScopedTempDirectory scopedTemp(temp);
        ScopedEnvironment report(kReportVariable, report_.c_str());
        DeleteFileA(report_.c_str());
        MessageBoxWatcher watcher;
        int result = DoPreview(owner_.get());
        boxes_ = watcher.Stop();
        return result;
    }

    TempDir root_;
    std::string tempDirectory_;
    std::string report_;
    CountingWindow owner_;  // stands in for the install prompt
    Bytes package_;
    std::vector<SeenBox> boxes_;
};

TEST_F(Preview, SaverRunsFromItsOwnTemporaryFileWithTheSwitch)
{
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ASSERT_EQ(Run(tempDirectory_), 1);
    EXPECT_TRUE(boxes_.empty());

    ProbeReport report = ReadProbeReport(report_);
    ASSERT_EQ(report["end"], "1") << "the saver did not run";
    EXPECT_EQ(report["self_exists"], "1");
    EXPECT_EQ(report["saver_running"], "1");
    EXPECT_EQ(report["argc"], "2") << report["command"];
    EXPECT_EQ(report["arg1"], "/S");
    std::string command = report["command"];
    ASSERT_GE(command.size(), 3u);
    EXPECT_EQ(command.substr(command.size() - 3), " /S");
    // The program part of the line names the saver's file, in its short form
    // without the blank of the directory.
    std::string program = command.substr(0, command.size() - 3);
    EXPECT_EQ(program.find(' '), std::string::npos) << command;
    EXPECT_TRUE(SamePathIgnoringCase(report["arg0_long"], report["self_long"])) << command;

    std::string saver = report["self_long"];
    std::string folder = saver.substr(0, saver.find_last_of('\\'));
    std::string name = saver.substr(saver.find_last_of('\\') + 1);
    EXPECT_TRUE(SamePathIgnoringCase(folder, LongPath(tempDirectory_))) << saver;
    EXPECT_EQ(name.substr(0, 3), "QJX") << saver;
    EXPECT_TRUE(SamePathIgnoringCase(name.substr(name.size() - 4), ".TMP")) << saver;
    EXPECT_EQ(report["startup_flags"], std::to_string(STARTF_USESHOWWINDOW));
    EXPECT_EQ(report["show_window"], std::to_string(SW_SHOWMAXIMIZED));

    EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{});
    EXPECT_EQ(SaverRunning(), FALSE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(Preview, OwnerIsRepaintedAtOnceWhenTheSaverEnds)
{
    int before = owner_.paints();
    ASSERT_EQ(Run(tempDirectory_), 1);
    // No message was dispatched in between: the paint came from the preview.
    EXPECT_GT(owner_.paints(), before);
}

TEST_F(Preview, TwoPreviewsInARowEachUseAndRemoveTheirFile)
{
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(Run(tempDirectory_), 1) << round;
        ProbeReport report = ReadProbeReport(report_);
        EXPECT_EQ(report["self_exists"], "1") << round;
        EXPECT_FALSE(FileExists(report["self_long"])) << round << ": " << report["self_long"];
        EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{}) << round;
        EXPECT_EQ(SaverRunning(), FALSE) << round;
    }
}

TEST_F(Preview, RunningFlagIsClearedEvenWhenItWasSetBefore)
{
    BOOL previous;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0);
    ASSERT_EQ(SaverRunning(), TRUE);
    ASSERT_EQ(Run(tempDirectory_), 1);
    EXPECT_EQ(SaverRunning(), FALSE);
}

TEST_F(Preview, SaverThatCannotBeWrittenGivesWriteError)
{
    struct Case {
        const char* what;
        void (*damage)(Bytes& package);
    };
    const Case cases[] = {
        {"no saver chunk", [](Bytes&) { scrpos = 0; }},
        {"offset beyond the file", [](Bytes& package) { scrpos = DWORD(package.size() + 100); }},
        {"damaged stream",
         [](Bytes& package) {
             package[scrpos + 310 + 200] ^= 0x55;
             testsupport::WriteFileBytes(installerPath, package);
         }},
        {"installer gone", [](Bytes&) { DeleteFileW(spath); }},
    };
    for (const Case& c : cases) {
        UsePackage(testsupport::PackageBuilder().Saver(testsupport::ReadFileBytes(ProbePath())));
        c.damage(package_);
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        EXPECT_EQ(Run(tempDirectory_), 0) << c.what;
        ASSERT_EQ(boxes_.size(), 1u) << c.what;
        EXPECT_EQ(boxes_[0].caption, "Message") << c.what;
        EXPECT_EQ(boxes_[0].text, "Write error") << c.what;
        EXPECT_FALSE(FileExists(report_)) << c.what;
        EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{}) << c.what;
        EXPECT_EQ(SaverRunning(), FALSE) << c.what;
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW)) << c.what;
    }
}

TEST_F(Preview, SaverThatCannotStartGivesProcessError)
{
    UsePackage(testsupport::PackageBuilder().Saver(testsupport::RandomBytes(3000, 17)));
    EXPECT_EQ(Run(tempDirectory_), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Message");
    EXPECT_EQ(boxes_[0].text, "Process error");
    EXPECT_EQ(ListDirectory(tempDirectory_), std::vector<std::string>{});
    EXPECT_EQ(SaverRunning(), FALSE);
}

TEST_F(Preview, WithoutATemporaryDirectoryTheFallbackNameIsUsedAndRemoved)
{
    // No temporary file can be made in a directory that does not exist.
    std::string work = root_.Path("work");
    testsupport::MakeDirectory(work);
    ScopedCurrentDirectory current(work);
    ASSERT_EQ(Run(root_.Path("missing")), 1);
    ProbeReport report = ReadProbeReport(report_);
    EXPECT_TRUE(SamePathIgnoringCase(report["self_long"], LongPath(work) + "\\TEMP$$$.$$$")) << report["self_long"];
    EXPECT_EQ(report["self_exists"], "1");
    EXPECT_EQ(ListDirectory(work), std::vector<std::string>{});
}

TEST_F(Preview, FallbackNameIsNotTakenFromTheProgramsOwnDirectory)
{
    // CreateProcess looks for a bare program name in the caller's own directory
    // before the current one: a stale file there must not run instead.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string stale = self;
    stale = stale.substr(0, stale.find_last_of('\\') + 1) + "TEMP$$$.$$$";
    testsupport::WriteFileBytes(stale, testsupport::ReadFileBytes(ProbePath()));
    std::string work = root_.Path("work");
    testsupport::MakeDirectory(work);
    ScopedCurrentDirectory current(work);
    int result = Run(root_.Path("missing"));
    DeleteFileA(stale.c_str());
    ASSERT_EQ(result, 1);
    ProbeReport report = ReadProbeReport(report_);
    EXPECT_TRUE(SamePathIgnoringCase(report["self_long"], LongPath(work) + "\\TEMP$$$.$$$")) << report["self_long"];
}

}  // namespace
