// Deterministic sweeps over a small installer: every single-byte change of its
// header record and trailer, every truncation, chunk lengths at every edge that
// matters. The reader must answer 0 or 1 and end (the sweep finishing is the
// proof that no walk loops); an accepted installer must extract exactly what its
// saver stream holds, or fail and leave nothing.
#include "fuzz/expected_saver.h"
#include "fuzz/sweep_runner.h"
#include "package/package_format.h"
#include "support/package_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string.h>
#include <string>

namespace {

using namespace package;
using fuzzsupport::SweepRunner;
using testsupport::Bytes;
using testsupport::GetU32;
using testsupport::PutU32;

// Wine routes every file open through its server, so the Windows run of the
// sweeps is thinned out: every position of the header and the trailer with
// every 17th value, every 7th byte of the file. Natively every one.
#ifdef _WIN32
constexpr unsigned kValueStride = 17;
constexpr size_t kByteStride = 7;
#else
constexpr unsigned kValueStride = 1;
constexpr size_t kByteStride = 1;
#endif

constexpr uint32_t kTagExtra = MakeTag('i', 'x', 't', 'r');
constexpr int kEither = SweepRunner::kEither;

struct Chunk {
    const char* name;
    size_t offset;
    uint32_t recordSize;
};

// Stub, header, document, saver, a chunk of an unknown kind, logo, trailer:
// every kind of chunk, the saver in the middle so the walk goes on past it.
struct SmallInstaller {
    Bytes bytes;
    Bytes saver;
    size_t header = 0;
    size_t body = 0;     // first byte after the header chunk
    size_t trailer = 0;
    std::vector<Chunk> chunks;  // in file order, header and trailer included
    size_t saverOffset = 0;
};

SmallInstaller MakeSmallInstaller()
{
    SmallInstaller s;
    s.saver = testsupport::RandomBytes(700, 82);
    Bytes text = testsupport::CompressibleBytes(1500);
    s.saver.insert(s.saver.end(), text.begin(), text.end());

    testsupport::PackageBuilder builder;
    builder.Stub(testsupport::RandomBytes(512, 81))
        .Document(testsupport::CompressibleBytes(300))
        .Saver(s.saver)
        .Raw(kTagExtra, 8, testsupport::RandomBytes(24, 83))
        .Logo(testsupport::RandomBytes(100, 84));
    s.bytes = builder.Build();
    s.header = builder.headerOffset();
    s.body = s.header + kHeaderRecordSize;
    s.trailer = s.bytes.size() - kTrailerSize;
    const auto& at = builder.chunkOffsets();
    s.saverOffset = at[1];
    s.chunks = {{"header", s.header, kHeaderRecordSize}, {"document", at[0], kDocumentRecordSize},
                {"saver", at[1], kSaverRecordSize},      {"unknown", at[2], 8},
                {"logo", at[3], kLogoRecordSize},        {"trailer", s.trailer, kTrailerSize}};
    return s;
}

const SmallInstaller& Installer()
{
    static const SmallInstaller installer = MakeSmallInstaller();
    return installer;
}

std::string Describe(const char* what, size_t position, unsigned value)
{
    char text[96];
    snprintf(text, sizeof text, "%s at %zu with 0x%02X", what, position, value);
    return text;
}

void ExpectClean(const SweepRunner& runner)
{
    EXPECT_TRUE(runner.Violations().empty()) << runner.Report();
}

TEST(CorruptionSweep, TheUnchangedInstallerLoadsAndExtractsItsSaver)
{
    const SmallInstaller& s = Installer();
    ASSERT_LT(s.bytes.size(), 4096u) << "keep the swept installer small";
    // Plain truncation can only be refused if no other "iend" lies in the file.
    const char tag[] = "iend";
    auto first = std::search(s.bytes.begin(), s.bytes.end(), tag, tag + 4);
    ASSERT_EQ(size_t(first - s.bytes.begin()), s.trailer);

    auto expected = fuzzsupport::ExpectedSaver(s.bytes, uint32_t(s.saverOffset));
    ASSERT_TRUE(expected.has_value());
    EXPECT_EQ(*expected, s.saver);
    SweepRunner runner;
    runner.Expect(s.bytes, 1, "unchanged");
    EXPECT_EQ(runner.extractions(), 1u);
    ExpectClean(runner);
}

TEST(CorruptionSweep, EveryChangeOfAHeaderByteIsRefused)
{
    // A CRC-32 notices every error confined to 32 bits, so no value of any byte
    // gets past the header checksum.
    const SmallInstaller& s = Installer();
    SweepRunner runner;
    for (size_t i = 0; i < kHeaderRecordSize; ++i) {
        for (unsigned x = 1; x < 256; x += kValueStride) {
            Bytes variant = s.bytes;
            variant[s.header + i] ^= uint8_t(x);
            runner.Expect(variant, 0, Describe("header byte", i, x));
        }
    }
    ExpectClean(runner);
}

TEST(CorruptionSweep, HeaderChangesWithAMatchingChecksum)
{
    // As a writer would make them: the checksum fits, so what the reader does
    // with the header's own fields is what counts. The frame (tag and length)
    // takes every value; the fields the stub only displays a few each.
    const SmallInstaller& s = Installer();
    SweepRunner runner;
    const unsigned someValues[] = {0x01, 0x80, 0xFF};
    for (size_t i = 0; i < kHeaderRecordSize; ++i) {
        bool frame = i < 8;
        for (unsigned x = 1; x < 256; x += frame ? kValueStride : 1) {
            if (!frame && std::find(std::begin(someValues), std::end(someValues), x) == std::end(someValues))
                continue;
            Bytes variant = s.bytes;
            variant[s.header + i] ^= uint8_t(x);
            testsupport::ResealPackage(variant);
            int expected = i < 4 ? 0 : i < 8 ? kEither : 1;
            runner.Expect(variant, expected, Describe("resealed header byte", i, x));
        }
    }
    ExpectClean(runner);
}

TEST(CorruptionSweep, EveryChangeOfATrailerByte)
{
    struct Region {
        size_t first, last;
        int expected;
        const char* what;
    };
    const Region regions[] = {
        {0, 3, 0, "tag"},
        {4, 7, 1, "length, not looked at"},
        {8, 11, 1, "not interpreted"},
        {12, 15, 0, "header distance"},
        {16, 19, 0, "header checksum"},
        {20, 23, 0, "stub check"},
        {24, 55, 1, "not interpreted"},
    };
    const SmallInstaller& s = Installer();
    SweepRunner runner;
    for (const Region& region : regions) {
        for (size_t i = region.first; i <= region.last; ++i) {
            for (unsigned x = 1; x < 256; x += kValueStride) {
                Bytes variant = s.bytes;
                variant[s.trailer + i] ^= uint8_t(x);
                runner.Expect(variant, region.expected, Describe(region.what, i, x));
            }
        }
    }
    ExpectClean(runner);
}

TEST(CorruptionSweep, TruncationAtEveryLengthIsRefused)
{
    const SmallInstaller& s = Installer();
    SweepRunner runner;
    for (size_t n = 0; n < s.bytes.size(); ++n) {
        Bytes variant(s.bytes.begin(), s.bytes.begin() + long(n));
        runner.Expect(variant, 0, Describe("cut to", n, 0));
    }
    ExpectClean(runner);
}

TEST(CorruptionSweep, ChunksCutShortBeforeAValidTrailer)
{
    // A download that lost part of the middle but kept a trailer that fits: the
    // chunks end anywhere, the trailer's tag may be read as a chunk's length.
    const SmallInstaller& s = Installer();
    std::vector<size_t> boundaries;
    for (const Chunk& chunk : s.chunks)
        boundaries.push_back(chunk.offset - s.body);
    SweepRunner runner;
    for (size_t m = 0; m <= s.trailer - s.body; ++m) {
        Bytes variant(s.bytes.begin(), s.bytes.begin() + long(s.body + m));
        variant.insert(variant.end(), s.bytes.begin() + long(s.trailer), s.bytes.end());
        PutU32(variant, variant.size() - kTrailerSize + 12, uint32_t(variant.size() - s.header) ^ kHeaderDistanceMask);
        testsupport::ResealPackage(variant);
        // Cut between two chunks, the walk meets the trailer next and accepts.
        bool between = std::find(boundaries.begin(), boundaries.end(), m) != boundaries.end();
        runner.Expect(variant, between ? 1 : kEither, Describe("chunks cut to", m, 0));
    }
    ExpectClean(runner);
}

struct LengthCase {
    const char* what;
    // The length to store, from the chunk's offset, its record size and the file size.
    std::function<uint32_t(uint32_t pos, uint32_t record, uint32_t size)> value;
    enum { kAny, kPastTheEnd, kZero } kind;
};

TEST(CorruptionSweep, ChunkLengthsAtTheEdges)
{
    const LengthCase cases[] = {
        {"0", [](uint32_t, uint32_t, uint32_t) { return 0u; }, LengthCase::kZero},
        {"1", [](uint32_t, uint32_t, uint32_t) { return 1u; }, LengthCase::kAny},
        {"7", [](uint32_t, uint32_t, uint32_t) { return 7u; }, LengthCase::kAny},
        {"8", [](uint32_t, uint32_t, uint32_t) { return 8u; }, LengthCase::kAny},
        {"record - 1", [](uint32_t, uint32_t r, uint32_t) { return r - 1; }, LengthCase::kAny},
        {"record", [](uint32_t, uint32_t r, uint32_t) { return r; }, LengthCase::kAny},
        {"to the last byte", [](uint32_t p, uint32_t, uint32_t n) { return n - p - 1; }, LengthCase::kAny},
        {"to the end", [](uint32_t p, uint32_t, uint32_t n) { return n - p; }, LengthCase::kAny},
        {"one past the end", [](uint32_t p, uint32_t, uint32_t n) { return n - p + 1; }, LengthCase::kPastTheEnd},
        {"far past the end", [](uint32_t, uint32_t, uint32_t n) { return n * 4; }, LengthCase::kPastTheEnd},
        {"2^31 - 1", [](uint32_t, uint32_t, uint32_t) { return 0x7FFFFFFFu; }, LengthCase::kPastTheEnd},
        {"2^31", [](uint32_t, uint32_t, uint32_t) { return 0x80000000u; }, LengthCase::kPastTheEnd},
        {"2^31 + 1", [](uint32_t, uint32_t, uint32_t) { return 0x80000001u; }, LengthCase::kPastTheEnd},
        {"reaching 2^31 - 1", [](uint32_t p, uint32_t, uint32_t) { return 0x7FFFFFFFu - p; }, LengthCase::kPastTheEnd},
        {"reaching 2^31", [](uint32_t p, uint32_t, uint32_t) { return 0x80000000u - p; }, LengthCase::kPastTheEnd},
        {"reaching 2^31 + 1", [](uint32_t p, uint32_t, uint32_t) { return 0x80000001u - p; }, LengthCase::kPastTheEnd},
        {"2^32 - 8", [](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFF8u; }, LengthCase::kPastTheEnd},
        {"2^32 - 1", [](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFFFu; }, LengthCase::kPastTheEnd},
        {"wrapping to 0", [](uint32_t p, uint32_t, uint32_t) { return 0u - p; }, LengthCase::kPastTheEnd},
        {"wrapping to 8", [](uint32_t p, uint32_t, uint32_t) { return 8u - p; }, LengthCase::kPastTheEnd},
        {"wrapping to itself minus 8", [](uint32_t, uint32_t, uint32_t) { return 0u - 8u; }, LengthCase::kPastTheEnd},
        {"wrapping to the header", [](uint32_t p, uint32_t, uint32_t) {
             return uint32_t(Installer().header) - p;
         }, LengthCase::kPastTheEnd},
    };
    const SmallInstaller& s = Installer();
    const uint32_t size = uint32_t(s.bytes.size());
    SweepRunner runner;
    for (const Chunk& chunk : s.chunks) {
        for (const LengthCase& c : cases) {
            uint32_t pos = uint32_t(chunk.offset);
            Bytes variant = s.bytes;
            PutU32(variant, chunk.offset + 4, c.value(pos, chunk.recordSize, size));
            if (chunk.offset == s.header)
                testsupport::ResealPackage(variant);
            // The walk ends at "iend" whatever its length; a chunk that does not
            // fit in the file is damage; a zero length ends the walk, but a
            // saver, document or logo (and the header) must at least hold its record.
            bool part = chunk.name == std::string("saver") || chunk.name == std::string("document") ||
                        chunk.name == std::string("logo");
            int expected = kEither;
            if (chunk.offset == s.trailer)
                expected = 1;
            else if (c.kind == LengthCase::kPastTheEnd)
                expected = 0;
            else if (c.kind == LengthCase::kZero && chunk.offset != s.header)
                expected = part ? 0 : 1;
            runner.Expect(variant, expected, std::string(chunk.name) + " length " + c.what);
        }
    }
    ExpectClean(runner);
}

TEST(CorruptionSweep, EveryByteOfTheFileChanged)
{
    // Inside the chunks any outcome may be right; the stub image and the header
    // are covered by checks, the trailer as in its own sweep.
    const SmallInstaller& s = Installer();
    SweepRunner runner;
    for (unsigned x : {0x01u, 0x80u, 0xFFu}) {
        for (size_t i = 0; i < s.bytes.size(); i += kByteStride) {
            Bytes variant = s.bytes;
            variant[i] ^= uint8_t(x);
            int expected = i < s.body ? 0 : kEither;
            if (i >= s.trailer) {
                size_t t = i - s.trailer;
                expected = (t >= 4 && t < 12) || t >= 24 ? 1 : 0;
            }
            runner.Expect(variant, expected, Describe("file byte", i, x));
        }
    }
    ExpectClean(runner);
    // The sweep would prove little if every change were refused before extraction.
    EXPECT_GT(runner.extractions(), 10u);
}

}  // namespace
