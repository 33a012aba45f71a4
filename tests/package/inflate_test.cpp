// The two inflation adapters over real files: both deliveries must agree on what
// counts as a complete stream, and report everything else as failure.
#include "package/inflate_stream.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <math.h>

#include <ostream>
#include <string.h>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

using testsupport::Bytes;

enum class Adapter { kFromDisk, kToFile };

void PrintTo(Adapter adapter, std::ostream* out)
{
    *out << (adapter == Adapter::kFromDisk ? "UncompressDataFromDisk" : "UncompressDataToFile");
}

struct Outcome {
    bool ok = false;
    Bytes output;
    DWORD length = 0;           // the in/out argument after the call
    LONG sourcePosition = 0;    // where the source was left
};

class InflateTest : public ::testing::TestWithParam<Adapter> {
protected:
    // Puts `stream` after a prefix of unrelated bytes in a file, followed by
    // `suffix`, and inflates `length` bytes from the stream's first byte.
    Outcome Inflate(const Bytes& stream, DWORD length, const Bytes& suffix = {})
    {
        Bytes file = testsupport::RandomBytes(kPrefix, 99);
        file.insert(file.end(), stream.begin(), stream.end());
        file.insert(file.end(), suffix.begin(), suffix.end());
        std::string sourcePath = dir_.Path("source.bin");
        testsupport::WriteFileBytes(sourcePath, file);

        Outcome outcome;
        outcome.length = length;
        HFILE source = OpenFileW(testsupport::Wide(sourcePath).c_str(), OF_READ);
        EXPECT_NE(source, HFILE_ERROR);
        EXPECT_EQ(_llseek(source, LONG(kPrefix), FILE_BEGIN), LONG(kPrefix));
        if (GetParam() == Adapter::kFromDisk) {
            HGLOBAL block = UncompressDataFromDisk(source, &outcome.length);
            outcome.ok = block != nullptr;
            if (block != nullptr) {
                EXPECT_GE(GlobalSize(block), outcome.length);
#ifndef _WIN32
                EXPECT_EQ(GlobalSize(block), outcome.length);  // exactly the output, no slack
#endif
                const uint8_t* data = static_cast<const uint8_t*>(GlobalLock(block));
                outcome.output.assign(data, data + outcome.length);
                GlobalUnlock(block);
                EXPECT_EQ(GlobalFree(block), nullptr);
            }
        } else {
            std::string outputPath = dir_.Path("output.bin");
            HFILE destination = OpenFileW(testsupport::Wide(outputPath).c_str(), OF_CREATE);
            EXPECT_NE(destination, HFILE_ERROR);
            outcome.ok = UncompressDataToFile(destination, source, &outcome.length) == 1;
            _lclose(destination);
            outcome.output = testsupport::ReadFileBytes(outputPath);
        }
        outcome.sourcePosition = _llseek(source, 0, FILE_CURRENT) - LONG(kPrefix);
        _lclose(source);
        return outcome;
    }

    static constexpr size_t kPrefix = 333;
    testsupport::TempDir dir_;
};

TEST_P(InflateTest, OutputsAroundTheStepSizeArriveComplete)
{
    // 700000 bytes cross the file writer's 256 KiB gathering twice; the sizes
    // also fall on, just past and between the memory block's doublings.
    for (size_t size : {1, 8191, 8192, 8193, 16384, 16385, 100000, 700000, 3 << 20, (4 << 20) + 1}) {
        for (bool random : {false, true}) {
            SCOPED_TRACE(std::to_string(size) + (random ? " random" : " text"));
            Bytes data = random ? testsupport::RandomBytes(size, uint32_t(size)) : testsupport::CompressibleBytes(size);
            Bytes stream = testsupport::Deflate(data);
            Outcome outcome = Inflate(stream, DWORD(stream.size()));
            ASSERT_TRUE(outcome.ok);
            EXPECT_EQ(outcome.length, size);
            EXPECT_EQ(outcome.output, data);
            EXPECT_EQ(outcome.sourcePosition, LONG(stream.size()));
        }
    }
}

TEST_P(InflateTest, StoredBlocksAcrossSeveralReads)
{
    Bytes data = testsupport::RandomBytes(140000, 31);
    Bytes stream = testsupport::StoredZlib(data);
    ASSERT_EQ(stream.size(), data.size() + 2 + 3 * 5 + 4);
    Outcome outcome = Inflate(stream, DWORD(stream.size()));
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.output, data);
}

TEST_P(InflateTest, SurplusCompressedLengthIsIgnored)
{
    Bytes data = testsupport::CompressibleBytes(30000);
    Bytes stream = testsupport::Deflate(data);
    Bytes surplus = testsupport::RandomBytes(20000, 32);
    for (DWORD extra : {1u, 100u, 8192u, 20000u}) {
        SCOPED_TRACE(extra);
        Outcome outcome = Inflate(stream, DWORD(stream.size()) + extra, surplus);
        ASSERT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.length, data.size());
        EXPECT_EQ(outcome.output, data);
        EXPECT_LE(outcome.sourcePosition, LONG(stream.size() + extra));
    }
}

TEST_P(InflateTest, StreamCutShortFails)
{
    // A saver cut short must never pass for a complete one, whatever it produced.
    for (bool random : {false, true}) {
        Bytes data = random ? testsupport::RandomBytes(20000, 33) : testsupport::CompressibleBytes(8193);
        Bytes stream = testsupport::Deflate(data);
        for (size_t cut : {stream.size() - 1, stream.size() - 4, stream.size() - 5, stream.size() / 2, size_t(2), size_t(1)}) {
            SCOPED_TRACE(std::to_string(cut) + " of " + std::to_string(stream.size()) + (random ? " random" : " text"));
            // The bytes past the length are there in the file; they must not be read.
            Outcome outcome = Inflate(stream, DWORD(cut));
            EXPECT_FALSE(outcome.ok);
            EXPECT_EQ(outcome.length, DWORD(cut));  // written only on success
            EXPECT_LE(outcome.sourcePosition, LONG(cut));
        }
    }
}

TEST_P(InflateTest, ZeroLengthFails)
{
    Bytes stream = testsupport::Deflate(testsupport::CompressibleBytes(100));
    Outcome outcome = Inflate(stream, 0);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.length, 0u);
    EXPECT_EQ(outcome.sourcePosition, 0);
}

TEST_P(InflateTest, FileEndingInsideTheStreamFails)
{
    Bytes stream = testsupport::Deflate(testsupport::RandomBytes(30000, 34));
    Bytes head(stream.begin(), stream.begin() + 10000);
    Outcome outcome = Inflate(head, DWORD(stream.size()));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.length, DWORD(stream.size()));
}

TEST_P(InflateTest, DamagedStreamsFail)
{
    Bytes data = testsupport::CompressibleBytes(20000);
    Bytes good = testsupport::Deflate(data);
    struct Edit {
        const char* what;
        size_t offset;
        uint8_t mask;
    };
    const Edit edits[] = {
        {"compression method", 0, 0x01},
        {"header check", 1, 0x01},
        {"preset dictionary flag", 1, 0x20},
        {"first Adler-32 byte", good.size() - 4, 0x01},
        {"last Adler-32 byte", good.size() - 1, 0x80},
        {"block type", 2, 0x06},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.what);
        Bytes stream = good;
        stream[edit.offset] ^= edit.mask;
        Outcome outcome = Inflate(stream, DWORD(stream.size()));
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.length, DWORD(stream.size()));
    }
}

TEST_P(InflateTest, StreamOfNoBytes)
{
    Bytes stream = testsupport::Deflate({});
    Outcome outcome = Inflate(stream, DWORD(stream.size()));
    if (GetParam() == Adapter::kFromDisk) {
        EXPECT_FALSE(outcome.ok);  // no block for no bytes
        EXPECT_EQ(outcome.length, DWORD(stream.size()));
    } else {
        EXPECT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.length, 0u);
        EXPECT_TRUE(outcome.output.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(BothDeliveries, InflateTest, ::testing::Values(Adapter::kFromDisk, Adapter::kToFile),
                         [](const ::testing::TestParamInfo<Adapter>& info) {
                             return std::string(info.param == Adapter::kFromDisk ? "FromDisk" : "ToFile");
                         });

TEST(UncompressDataToFile, WrongAdlerFailsAndWritesNothingElse)
{
    // The check comes at the stream's end; what was written before it is the
    // data itself, and the caller, not the adapter, removes such a file.
    testsupport::TempDir dir;
    Bytes data = testsupport::RandomBytes(600000, 36);
    Bytes stream = testsupport::Deflate(data);
    stream.back() ^= 0x01;
    testsupport::WriteFileBytes(dir.Path("source.bin"), stream);
    HFILE source = OpenFileW(testsupport::Wide(dir.Path("source.bin")).c_str(), OF_READ);
    HFILE destination = OpenFileW(testsupport::Wide(dir.Path("output.bin")).c_str(), OF_CREATE);
    ASSERT_NE(source, HFILE_ERROR);
    ASSERT_NE(destination, HFILE_ERROR);
    DWORD length = DWORD(stream.size());
    EXPECT_EQ(UncompressDataToFile(destination, source, &length), 0);
    EXPECT_EQ(length, DWORD(stream.size()));
    _lclose(destination);
    _lclose(source);
    Bytes written = testsupport::ReadFileBytes(dir.Path("output.bin"));
    ASSERT_LE(written.size(), data.size());
    EXPECT_TRUE(std::equal(written.begin(), written.end(), data.begin()));
}

#ifndef _WIN32
// Under Wine the box would wait for a click; the host stand-in reports it.
struct BoxLog {
    int count = 0;
    std::string text, caption;
    UINT type = 0xFFFF;
};
BoxLog g_boxes;

void RecordBox(const char* text, const char* caption, UINT type)
{
    ++g_boxes.count;
    g_boxes.text = text;
    g_boxes.caption = caption;
    g_boxes.type = type;
}

// Whichever allocation runs out of memory, the final cut to size included, the
// call fails and leaves no block behind.
size_t g_gateCalls = 0;
size_t g_failAt = 0;

bool CountingGate(SIZE_T)
{
    return ++g_gateCalls != g_failAt;
}

TEST(UncompressDataFromDisk, EveryAllocationFailureReleasesTheBlock)
{
    testsupport::TempDir dir;
    for (size_t size : {size_t(8193), size_t(100000), size_t(1000000)}) {
        SCOPED_TRACE(size);
        Bytes data = testsupport::CompressibleBytes(size);
        Bytes stream = testsupport::Deflate(data);
        testsupport::WriteFileBytes(dir.Path("source.bin"), stream);
        auto load = [&](size_t failAt, DWORD* length) {
            g_gateCalls = 0;
            g_failAt = failAt;
            compat::SetGlobalMemoryGate(CountingGate);
            HFILE source = OpenFileW(testsupport::Wide(dir.Path("source.bin")).c_str(), OF_READ);
            *length = DWORD(stream.size());
            HGLOBAL block = UncompressDataFromDisk(source, length);
            compat::SetGlobalMemoryGate(nullptr);
            _lclose(source);
            return block;
        };
        size_t before = compat::LiveGlobalBlocks();
        DWORD length = 0;
        HGLOBAL block = load(0, &length);
        ASSERT_NE(block, nullptr);
        size_t calls = g_gateCalls;
        // One allocation, a resize per doubling from the first 8192-byte step and
        // the cut to size: not one resize per step.
        EXPECT_LE(calls, 2 + size_t(ceil(log2(double(size) / 8192))));
        EXPECT_EQ(GlobalSize(block), size);
        GlobalFree(block);
        for (size_t failAt = 1; failAt <= calls; ++failAt) {
            SCOPED_TRACE("allocation " + std::to_string(failAt) + " of " + std::to_string(calls));
            EXPECT_EQ(load(failAt, &length), nullptr);
            EXPECT_EQ(length, DWORD(stream.size()));  // written only on success
            EXPECT_EQ(compat::LiveGlobalBlocks(), before);
        }
    }
}

TEST(UncompressDataToFile, FullDiskShowsOneBoxAndFails)
{
    testsupport::TempDir dir;
    Bytes data = testsupport::RandomBytes(700000, 35);  // more than one gathered write
    Bytes stream = testsupport::Deflate(data);
    testsupport::WriteFileBytes(dir.Path("source.bin"), stream);
    HFILE source = OpenFileW(testsupport::Wide(dir.Path("source.bin")).c_str(), OF_READ);
    HFILE full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_NE(source, HFILE_ERROR);
    ASSERT_GE(full, 0);

    g_boxes = BoxLog();
    compat::SetMessageBoxObserver(RecordBox);
    DWORD length = DWORD(stream.size());
    int result = UncompressDataToFile(full, source, &length);
    compat::SetMessageBoxObserver(nullptr);
    close(full);
    _lclose(source);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(length, DWORD(stream.size()));
    EXPECT_EQ(g_boxes.count, 1);
    EXPECT_EQ(g_boxes.text, "Ooops");
    EXPECT_EQ(g_boxes.caption, "Yo...");
    EXPECT_EQ(g_boxes.type, UINT(MB_OK));
}

TEST(UncompressDataToFile, OtherFailuresShowNoBox)
{
    testsupport::TempDir dir;
    Bytes stream = testsupport::Deflate(testsupport::CompressibleBytes(20000));
    stream[stream.size() / 2] ^= 0xFF;
    testsupport::WriteFileBytes(dir.Path("source.bin"), stream);
    HFILE source = OpenFileW(testsupport::Wide(dir.Path("source.bin")).c_str(), OF_READ);
    HFILE destination = OpenFileW(testsupport::Wide(dir.Path("output.bin")).c_str(), OF_CREATE);
    g_boxes = BoxLog();
    compat::SetMessageBoxObserver(RecordBox);
    DWORD length = DWORD(stream.size());
    EXPECT_EQ(UncompressDataToFile(destination, source, &length), 0);
    length = DWORD(stream.size() / 3);
    _llseek(source, 0, FILE_BEGIN);
    EXPECT_EQ(UncompressDataToFile(destination, source, &length), 0);
    compat::SetMessageBoxObserver(nullptr);
    _lclose(destination);
    _lclose(source);
    EXPECT_EQ(g_boxes.count, 0);
}
#endif

}  // namespace
