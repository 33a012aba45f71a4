// A failed extraction never loses a file and never leaves one: under every
// failure extraction can meet, with and without a saver already installed under
// the destination's name, the destination's directory ends exactly as it began.
#include "package/package_format.h"
#include "package/saver_extract.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace {

using namespace package;
using testsupport::Bytes;
using testsupport::PutU32;
using Snapshot = std::map<std::string, Bytes>;

// Every file and directory under `root` with its content (directories empty).
Snapshot TakeSnapshot(const std::string& root)
{
    namespace fs = std::filesystem;
    Snapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string name = fs::relative(entry.path(), root).generic_string();
        if (entry.is_directory())
            snapshot[name + "/"] = {};
        else
            snapshot[name] = testsupport::ReadFileBytes(entry.path().string());
    }
    return snapshot;
}

struct Attempt {
    Bytes installer;
    DWORD offset = 0;
    std::string destination;
    bool fullDisk = false;  // writes stop at kDiskRoom bytes
};

struct Failure {
    const char* what;
    bool needsExisting;  // only meaningful when a file already stands there
    std::function<void(Attempt&, const testsupport::TempDir&)> arrange;
};

#ifndef _WIN32
// RLIMIT_FSIZE stops every write of this process past the limit with EFBIG, the
// same short write a full disk gives, with no mount and no privilege needed.
constexpr rlim_t kDiskRoom = 20000;

class DiskFull {
public:
    DiskFull()
    {
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limited = previous_;
        limited.rlim_cur = kDiskRoom;
        active_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~DiskFull()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        signal(SIGXFSZ, previousHandler_);
    }
    bool active() const { return active_; }

private:
    rlimit previous_;
    void (*previousHandler_)(int);
    bool active_ = false;
};

int g_boxes = 0;
void CountBox(const char*, const char*, UINT)
{
    ++g_boxes;
}
#endif

class ExtractionSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Large enough that several 8192-byte steps reach the disk before the failure.
        saver_ = testsupport::RandomBytes(150000, 61);
        Bytes text = testsupport::CompressibleBytes(100000);
        saver_.insert(saver_.end(), text.begin(), text.end());
        testsupport::PackageBuilder builder;
        builder.Saver(saver_);
        installer_ = builder.Build();
        offset_ = builder.chunkOffsets()[0];
        streamEnd_ = installer_.size() - kTrailerSize;
    }

    // Runs one failure, with or without a saver already installed.
    void Check(const Failure& failure, bool existing)
    {
        testsupport::TempDir dir;
        testsupport::WriteFileBytes(dir.Path("unrelated.txt"), testsupport::RandomBytes(300, 62));
        Attempt attempt{installer_, offset_, dir.Path("MYSAVER.SCR")};
        if (existing)
            testsupport::WriteFileBytes(attempt.destination, testsupport::RandomBytes(30000, 63));
        failure.arrange(attempt, dir);
        std::string exe = dir.Path("setup.exe");
        testsupport::WriteFileBytes(exe, attempt.installer);
        const Snapshot before = TakeSnapshot(dir.path());

        int result = 0;
        if (attempt.fullDisk) {
#ifndef _WIN32
            g_boxes = 0;
            compat::SetMessageBoxObserver(CountBox);
            {
                DiskFull full;
                ASSERT_TRUE(full.active());
                result = WriteSaverFile(testsupport::Wide(attempt.destination).c_str(), testsupport::Wide(exe).c_str(),
                                        attempt.offset);
            }
            compat::SetMessageBoxObserver(nullptr);
            EXPECT_EQ(g_boxes, 1) << "the write must have fallen short, not failed otherwise";
#endif
        } else {
            result = WriteSaverFile(testsupport::Wide(attempt.destination).c_str(), testsupport::Wide(exe).c_str(),
                                    attempt.offset);
        }
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(TakeSnapshot(dir.path()) == before) << "the directory changed";
    }

    Bytes saver_;
    Bytes installer_;
    DWORD offset_ = 0;
    size_t streamEnd_ = 0;
};

TEST_F(ExtractionSafety, EveryFailureLeavesTheDirectoryAsItWas)
{
    const size_t middle = offset_ + kSaverRecordSize + 60000;
    const Failure failures[] = {
        {"damaged stream", false, [middle](Attempt& a, const auto&) { a.installer[middle] ^= 0x40; }},
        {"wrong Adler-32", false, [this](Attempt& a, const auto&) { a.installer[streamEnd_ - 1] ^= 0x01; }},
        {"installer ends inside the stream", false, [middle](Attempt& a, const auto&) { a.installer.resize(middle); }},
        {"installer ends inside the record", false, [this](Attempt& a, const auto&) { a.installer.resize(offset_ + 100); }},
        {"stream length short of its end", false, [this](Attempt& a, const auto&) {
             PutU32(a.installer, offset_ + 4, testsupport::GetU32(a.installer, offset_ + 4) - 1);
         }},
        {"offset past the end", false, [](Attempt& a, const auto&) { a.offset = DWORD(a.installer.size() + 1); }},
        {"offset not at a saver record", false, [](Attempt& a, const auto&) { a.offset = 0; }},
        {"read-only file in the way", true, [](Attempt& a, const auto&) { testsupport::MakeReadOnly(a.destination); }},
        {"directory in the way", false, [](Attempt& a, const auto&) {
             std::filesystem::remove(a.destination);
             testsupport::MakeDirectory(a.destination);
             testsupport::WriteFileBytes(a.destination + testsupport::kSeparator + "inside.txt", {1, 2, 3});
         }},
        {"missing directory", false, [](Attempt& a, const testsupport::TempDir& dir) {
             a.destination = dir.Path("missing") + testsupport::kSeparator + "MYSAVER.SCR";
         }},
#ifndef _WIN32
        {"full disk", false, [](Attempt& a, const auto&) { a.fullDisk = true; }},
#endif
    };
    for (const Failure& failure : failures) {
        for (bool existing : {false, true}) {
            if (failure.needsExisting && !existing)
                continue;
            SCOPED_TRACE(std::string(failure.what) + (existing ? ", saver installed before" : ", nothing installed"));
            Check(failure, existing);
        }
    }
}

TEST_F(ExtractionSafety, TheSameAttemptSucceedsWithoutTheFailure)
{
    // The failures above fail for their own reason, not because the set-up is wrong.
    testsupport::TempDir dir;
    std::string exe = dir.Path("setup.exe");
    std::string destination = dir.Path("MYSAVER.SCR");
    testsupport::WriteFileBytes(exe, installer_);
    testsupport::WriteFileBytes(destination, testsupport::RandomBytes(30000, 63));
    ASSERT_EQ(WriteSaverFile(testsupport::Wide(destination).c_str(), testsupport::Wide(exe).c_str(), offset_), 1);
    EXPECT_EQ(testsupport::ReadFileBytes(destination), saver_);
#ifndef _WIN32
    // The whole saver does not fit in the room the full-disk case leaves.
    EXPECT_GT(saver_.size(), size_t(kDiskRoom));
#endif
}

}  // namespace
