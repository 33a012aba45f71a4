#include "fuzz/sweep_runner.h"

#include "fuzz/every_text.h"
#include "fuzz/expected_saver.h"
#include "package/installer_state.h"
#include "package/package_format.h"
#include "package/reader.h"
#include "package/saver_extract.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <stdexcept>
#include <stdio.h>
#include <string.h>

namespace fuzzsupport {

using package::kSaverRecordSize;

namespace {

// The range [*first, *end) outside which two byte strings of one size agree;
// false when they are equal. Blocks first, with memcmp: the sweeps also run in
// unoptimised sanitizer builds, where a byte loop over every variant is slow.
bool ChangedRange(const Bytes& a, const Bytes& b, size_t* first, size_t* end)
{
    constexpr size_t kBlock = 64;
    size_t size = a.size();
    size_t lo = 0;
    while (lo + kBlock <= size && memcmp(&a[lo], &b[lo], kBlock) == 0)
        lo += kBlock;
    while (lo < size && a[lo] == b[lo])
        ++lo;
    if (lo == size)
        return false;
    size_t hi = size;
    while (hi - lo >= kBlock && memcmp(&a[hi - kBlock], &b[hi - kBlock], kBlock) == 0)
        hi -= kBlock;
    while (a[hi - 1] == b[hi - 1])
        --hi;
    *first = lo;
    *end = hi;
    return true;
}

}  // namespace

void ResetReader()
{
    ClearInstallerRecords();
    ReleaseInstallerBlocks();
    memset(&instend, 0, sizeof instend);
    scrpos = 0;
}

int SweepRunner::Run(const Bytes& installer, const std::string& what)
{
    ++runs_;
    WriteInstaller(installer);
    ResetReader();
    int loaded = LoadInstaller(nullptr, testsupport::Wide(exe_).c_str());
    uint32_t offset = scrpos;
    const char* texts = loaded == 1 ? SpeakEveryText() : nullptr;
    ReleaseInstallerBlocks();
    if (texts != nullptr)
        Violation(what, texts);
    if (loaded != 0 && loaded != 1) {
        Violation(what, "reader returned " + std::to_string(loaded));
        return loaded;
    }
    if (loaded == 1) {
        ++accepted_;
        Extract(installer, offset, what);
    }
    return loaded;
}

void SweepRunner::WriteInstaller(const Bytes& installer)
{
    if (!fileExists_ || installer.size() != written_.size()) {
        testsupport::WriteFileBytes(exe_, installer);
    } else {
        size_t at = 0, end = 0;
        if (!ChangedRange(installer, written_, &at, &end))
            return;
        FILE* file = fopen(exe_.c_str(), "r+b");
        size_t count = end - at;
        bool ok = file != nullptr && fseek(file, long(at), SEEK_SET) == 0 &&
                  fwrite(installer.data() + at, 1, count, file) == count;
        if (file != nullptr)
            ok = fclose(file) == 0 && ok;
        if (!ok)
            throw std::runtime_error("cannot rewrite " + exe_);
    }
    written_ = installer;
    fileExists_ = true;
}

void SweepRunner::Expect(const Bytes& installer, int expected, const std::string& what)
{
    int loaded = Run(installer, what);
    if (expected != kEither && loaded != expected)
        Violation(what, "reader returned " + std::to_string(loaded) + ", expected " + std::to_string(expected));
}

void SweepRunner::Extract(const Bytes& installer, uint32_t offset, const std::string& what)
{
    // Extraction reads the saver record at `offset` and at most the chunk's
    // length from there, never past the end of the file: those bytes, where they
    // lie and the file's size decide its outcome.
    size_t size = installer.size();
    size_t end = size;
    if (offset <= size && size - offset >= kSaverRecordSize) {
        size_t length = std::max<size_t>(testsupport::GetU32(installer, offset + 4), kSaverRecordSize);
        end = std::min(size, offset + length);
    }
    Bytes key(8);
    testsupport::PutU32(key, 0, offset);
    testsupport::PutU32(key, 4, uint32_t(size));
    if (offset < end)
        key.insert(key.end(), installer.begin() + long(offset), installer.begin() + long(end));
    if (!extracted_.insert(key).second)
        return;

    ++extractions_;
    std::optional<Bytes> expected = ExpectedSaver(installer, offset);
    int written = WriteSaverFile(testsupport::Wide(saver_).c_str(), testsupport::Wide(exe_).c_str(), offset);
    std::vector<std::string> names = dir_.List();
    if (expected) {
        if (written != 1)
            Violation(what, "a sound saver stream was not extracted");
        else if (testsupport::ReadFileBytes(saver_) != *expected)
            Violation(what, "the extracted saver differs from its stream");
        if (names != std::vector<std::string>{"MYSAVER.SCR", "setup.exe"})
            Violation(what, "extraction left other files than the saver");
        remove(saver_.c_str());
    } else {
        if (written != 0)
            Violation(what, "extraction of a broken saver stream reported success");
        if (names != std::vector<std::string>{"setup.exe"})
            Violation(what, "a failed extraction left a file behind");
        remove(saver_.c_str());
    }
}

void SweepRunner::Violation(const std::string& what, const std::string& detail)
{
    violations_.push_back(what + ": " + detail);
}

std::string SweepRunner::Report() const
{
    std::string text = std::to_string(violations_.size()) + " of " + std::to_string(runs_) + " variants misbehaved";
    for (size_t i = 0; i < violations_.size() && i < 12; ++i)
        text += "\n  " + violations_[i];
    return text;
}

}  // namespace fuzzsupport
