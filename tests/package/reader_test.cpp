// LoadInstaller over packages built in memory: what a well-formed package loads
// into the globals, and that every kind of damage is refused without a leak.
#include "package/installer_state.h"
#include "package/package_format.h"
#include "package/reader.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string.h>
#include <string>
#include <vector>

namespace {

using namespace package;
using testsupport::Bytes;
using testsupport::GetU32;
using testsupport::PackageBuilder;
using testsupport::PutU32;

constexpr uint32_t kTagUnknown = MakeTag('x', 'y', 'z', 'w');

// Reads the first `count` bytes of a global block.
Bytes BlockBytes(HGLOBAL block, size_t count)
{
    Bytes out(count);
    void* data = GlobalLock(block);
    if (data == nullptr)
        return {};
    memcpy(out.data(), data, count);
    GlobalUnlock(block);
    return out;
}

void ExpectBlockHolds(HGLOBAL block, const Bytes& expected)
{
    ASSERT_NE(block, nullptr);
#ifdef _WIN32
    EXPECT_GE(GlobalSize(block), expected.size());  // Windows may round up
#else
    EXPECT_EQ(GlobalSize(block), expected.size());
#endif
    EXPECT_EQ(BlockBytes(block, expected.size()), expected);
}

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ResetReader(); }
    void TearDown() override { ReleaseInstallerBlocks(); }

    // The reader fills process-wide globals; every case starts from what start-up
    // leaves before the reader runs.
    static void ResetReader()
    {
        ClearInstallerRecords();
        ReleaseInstallerBlocks();
        memset(&instend, 0, sizeof instend);
        scrpos = 0;
    }

    int Load(const Bytes& package)
    {
        testsupport::WriteFileBytes(path_, package);
        return LoadInstaller(nullptr, testsupport::Wide(path_).c_str());
    }

    testsupport::TempDir dir_;
    std::string path_ = dir_.Path("setup.exe");
};

TEST_F(ReaderTest, WorkedExampleOfTheOffsets)
{
    PackageBuilder builder;
    builder.Stub(testsupport::RandomBytes(200000, 1));
    Bytes stream = testsupport::StoredZlib(testsupport::RandomBytes(60000 - 11, 2));
    ASSERT_EQ(stream.size(), 60000u);
    builder.SaverStream(stream);
    Bytes package = builder.Build();

    ASSERT_EQ(package.size(), 261736u);
    ASSERT_EQ(builder.chunkOffsets().at(0), 201370u);
    EXPECT_EQ(GetU32(package, 261680), kTagEnd);
    EXPECT_EQ(GetU32(package, 261680 + 12) ^ kHeaderDistanceMask, 61736u);

    ASSERT_EQ(Load(package), 1);
    EXPECT_EQ(scrpos, 201370u);
    EXPECT_EQ(uint32_t(instscr.dwTag), kTagSaver);
    EXPECT_EQ(uint32_t(instscr.dwLength), 60310u);
    EXPECT_EQ(uint32_t(instheader.dwLength), 1370u);
    EXPECT_EQ(uint32_t(instend.dwTag), kTagEnd);
    EXPECT_EQ(instend.dwHeaderDistance ^ kHeaderDistanceMask, 61736u);
}

TEST_F(ReaderTest, LoadsHeaderRecordsAndBlocks)
{
    Bytes document = testsupport::CompressibleBytes(30000);
    Bytes logo = testsupport::RandomBytes(9000, 3);
    PackageBuilder builder;
    builder.Title("Aquarium").Description("Fish that swim").Colour(0x00336699).Timeout(7);
    builder.Saver(testsupport::RandomBytes(5000, 4), "AQUA.SCR").Document(document).Logo(logo);
    ASSERT_EQ(Load(builder.Build()), 1);

    EXPECT_EQ(uint32_t(instheader.dwTag), kTagHeader);
    EXPECT_EQ(uint32_t(instheader.crColour), 0x00336699u);
    EXPECT_EQ(uint32_t(instheader.nTimeout), 7u);
    EXPECT_STREQ(instheader.szTitle, "Aquarium");
    EXPECT_STREQ(instheader.szDescription, "Fish that swim");
    EXPECT_STREQ(instscr.szFileName, "AQUA.SCR");
    EXPECT_EQ(scrpos, builder.chunkOffsets()[0]);
    EXPECT_EQ(uint32_t(instdoc.dwTag), kTagDocument);
    EXPECT_EQ(uint32_t(instdoc.dwSize), document.size());
    EXPECT_EQ(uint32_t(instlogo.dwTag), kTagLogo);
    ExpectBlockHolds(doc, document);
    ExpectBlockHolds(image, logo);
}

TEST_F(ReaderTest, ChunksInEveryOrder)
{
    Bytes document = testsupport::CompressibleBytes(12000);
    Bytes logo = testsupport::RandomBytes(700, 5);
    std::vector<uint32_t> order = {kTagSaver, kTagDocument, kTagLogo};
    std::sort(order.begin(), order.end());
    do {
        ResetReader();
        PackageBuilder builder;
        for (uint32_t tag : order) {
            if (tag == kTagSaver)
                builder.Saver(testsupport::RandomBytes(300, 6));
            else if (tag == kTagDocument)
                builder.Document(document);
            else
                builder.Logo(logo);
        }
        Bytes package = builder.Build();
        size_t saverIndex = size_t(std::find(order.begin(), order.end(), kTagSaver) - order.begin());
        SCOPED_TRACE("saver is chunk " + std::to_string(saverIndex));
        ASSERT_EQ(Load(package), 1);
        EXPECT_EQ(scrpos, builder.chunkOffsets()[saverIndex]);
        ExpectBlockHolds(doc, document);
        ExpectBlockHolds(image, logo);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(ReaderTest, SkipsChunksWithOtherTags)
{
    // Payloads that would fail if they were taken for a document or a saver.
    Bytes junk = testsupport::RandomBytes(400, 8);
    PackageBuilder builder;
    builder.Raw(kTagUnknown, 8, junk)
        .Raw(MakeTag('I', 'D', 'O', 'C'), 48, junk)
        .Raw(MakeTag('I', 's', 'c', 'r'), 310, junk)
        .Raw(kTagHeader, 1370, junk)
        .Saver(testsupport::RandomBytes(100, 9))
        .Raw(MakeTag('i', 'l', 'g', 'O'), 52, junk);
    ASSERT_EQ(Load(builder.Build()), 1);
    EXPECT_EQ(scrpos, builder.chunkOffsets()[4]);
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(image, nullptr);
}

TEST_F(ReaderTest, SkipsTheRestOfALongHeader)
{
    for (size_t extra : {size_t(1), size_t(8), size_t(70000)}) {
        ResetReader();
        SCOPED_TRACE(extra);
        PackageBuilder builder;
        builder.HeaderExtra(extra).Saver(testsupport::RandomBytes(100, 10));
        Bytes package = builder.Build();
        ASSERT_EQ(Load(package), 1);
        EXPECT_EQ(uint32_t(instheader.dwLength), 1370 + extra);
        EXPECT_EQ(scrpos, builder.headerOffset() + 1370 + extra);
    }
}

TEST_F(ReaderTest, AcceptsHeaderFollowedByTrailer)
{
    PackageBuilder builder;
    ASSERT_EQ(Load(builder.Build()), 1);
    EXPECT_EQ(scrpos, 0u);
    EXPECT_EQ(doc, nullptr);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(uint32_t(instscr.dwTag), 0u);
}

TEST_F(ReaderTest, AcceptsAnEmptyStubImage)
{
    PackageBuilder builder;
    builder.Stub({}).Saver(testsupport::RandomBytes(100, 11));
    Bytes package = builder.Build();
    EXPECT_EQ(GetU32(package, package.size() - kTrailerSize + 20), 0u);
    ASSERT_EQ(Load(package), 1);
    EXPECT_EQ(scrpos, kHeaderRecordSize);
}

TEST_F(ReaderTest, EarlyTrailerEndsTheWalk)
{
    // What follows the first "iend" would fail as a document.
    PackageBuilder builder;
    builder.Saver(testsupport::RandomBytes(100, 12))
        .Raw(kTagEnd, kTrailerSize, {})
        .Raw(kTagDocument, 48, testsupport::RandomBytes(100, 13))
        .Saver(testsupport::RandomBytes(100, 14));
    ASSERT_EQ(Load(builder.Build()), 1);
    EXPECT_EQ(scrpos, builder.chunkOffsets()[0]);
    EXPECT_EQ(doc, nullptr);
}

TEST_F(ReaderTest, ZeroLengthChunkIsDamageForAPartAndTheEndOfTheWalkOtherwise)
{
    // A part of length 0 holds not even its record, so the package is damaged;
    // any other chunk of length 0 ends the walk, and what follows is never read.
    const struct {
        uint32_t tag;
        int expected;
    } cases[] = {{kTagSaver, 0},   {kTagDocument, 0}, {kTagLogo, 0}, {kTagApp, 0},
                 {kTagUnknown, 1}, {kTagHeader, 1},   {kTagEnd, 1}};
    for (const auto& c : cases) {
        ResetReader();
        SCOPED_TRACE(std::string(reinterpret_cast<const char*>(&c.tag), 4));
        PackageBuilder builder;
        builder.Raw(c.tag, 310, testsupport::RandomBytes(64, 15))
            .Raw(kTagDocument, 48, testsupport::RandomBytes(100, 16))
            .Saver(testsupport::RandomBytes(100, 17));
        Bytes package = builder.Build();
        PutU32(package, builder.chunkOffsets()[0] + 4, 0);
        ASSERT_EQ(Load(package), c.expected);
        EXPECT_EQ(scrpos, 0u);
        EXPECT_EQ(uint32_t(instscr.dwTag), 0u);
        EXPECT_EQ(doc, nullptr);
        EXPECT_EQ(image, nullptr);
    }
}

// Fields that fill the record end without a zero and are kept whole; a chunk
// one byte short of the record is damage.
TEST_F(ReaderTest, AppRecordIsReadWholeAndAShortOneIsDamage)
{
    for (uint32_t length : {kAppRecordSize + 3, kAppRecordSize, kAppRecordSize - 1}) {
        SCOPED_TRACE(length);
        ResetReader();
        PackageBuilder builder;
        builder.Saver(testsupport::RandomBytes(100, 5)).Raw(kTagApp, 8, Bytes(length - 8, 'v'));
        ASSERT_EQ(Load(builder.Build()), length >= kAppRecordSize ? 1 : 0);
        if (length < kAppRecordSize)
            continue;
        EXPECT_EQ(uint32_t(instapp.dwTag), kTagApp);
        EXPECT_EQ(std::string(instapp.szPublisher, sizeof instapp.szPublisher), std::string(128, 'v'));
        EXPECT_EQ(std::string(instapp.szUrl, sizeof instapp.szUrl), std::string(260, 'v'));
    }
}

TEST_F(ReaderTest, TrailerLengthIsNotLookedAt)
{
    for (uint32_t length : {56u, 0u, 1u, 57u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        ResetReader();
        SCOPED_TRACE(length);
        PackageBuilder builder;
        builder.Saver(testsupport::RandomBytes(100, 18));
        Bytes package = builder.Build();
        PutU32(package, package.size() - kTrailerSize + 4, length);
        EXPECT_EQ(Load(package), 1);
        EXPECT_EQ(scrpos, builder.chunkOffsets()[0]);
    }
}

TEST_F(ReaderTest, DamagedSaverStreamIsLeftForExtraction)
{
    PackageBuilder builder;
    builder.Saver(testsupport::CompressibleBytes(20000));
    Bytes package = builder.Build();
    package[builder.chunkOffsets()[0] + kSaverRecordSize + 40] ^= 0xFF;
    EXPECT_EQ(Load(package), 1);
}

TEST_F(ReaderTest, LaterChunkOfAKindReplacesTheEarlierOne)
{
    // The earlier blocks must be freed: the sanitizer build reports them otherwise.
    Bytes secondDocument = testsupport::CompressibleBytes(9000);
    Bytes secondLogo = testsupport::RandomBytes(300, 19);
    PackageBuilder builder;
    builder.Saver(testsupport::RandomBytes(100, 20), "FIRST.SCR")
        .Document(testsupport::CompressibleBytes(20000))
        .Logo(testsupport::RandomBytes(20000, 21))
        .Document(secondDocument)
        .Saver(testsupport::RandomBytes(100, 22), "SECOND.SCR")
        .Logo(secondLogo);
    ASSERT_EQ(Load(builder.Build()), 1);
    EXPECT_EQ(scrpos, builder.chunkOffsets()[4]);
    EXPECT_STREQ(instscr.szFileName, "SECOND.SCR");
    EXPECT_EQ(uint32_t(instdoc.dwSize), secondDocument.size());
    ExpectBlockHolds(doc, secondDocument);
    ExpectBlockHolds(image, secondLogo);
}

TEST_F(ReaderTest, FullStringFieldsAreCutAtTheirEnd)
{
    PackageBuilder builder;
    builder.Title(std::string(262, 'T'))
        .Description(std::string(294, 'D'))
        .Saver(testsupport::RandomBytes(100, 23), std::string(294, 'N'));
    Bytes package = builder.Build();
    // The builder leaves full fields without a terminator.
    ASSERT_EQ(package[builder.headerOffset() + 814 + 261], 'T');
    ASSERT_EQ(Load(package), 1);
    EXPECT_EQ(std::string(instheader.szTitle), std::string(261, 'T'));
    EXPECT_EQ(std::string(instheader.szDescription), std::string(293, 'D'));
    EXPECT_EQ(std::string(instscr.szFileName), std::string(293, 'N'));
}

// A file that cannot be opened says nothing about its package: not "damaged".
TEST_F(ReaderTest, MissingFileIsUnreadableNotDamaged)
{
    EXPECT_EQ(LoadInstaller(nullptr, testsupport::Wide(dir_.Path("absent.exe")).c_str()), kInstallerUnreadable);
    EXPECT_EQ(LoadInstaller(nullptr, testsupport::Wide("").c_str()), kInstallerUnreadable);
}

// A package with one chunk of each kind and an unknown one, and where they lie.
struct Layout {
    size_t header, saver, document, logo, unknown, trailer, size;
};

Bytes StandardPackage(Layout* layout)
{
    PackageBuilder builder;
    builder.Saver(testsupport::CompressibleBytes(20000))
        .Document(testsupport::CompressibleBytes(3000))
        .Raw(kTagUnknown, 8, testsupport::RandomBytes(100, 24))
        .Logo(testsupport::RandomBytes(2000, 25));
    Bytes package = builder.Build();
    const auto& at = builder.chunkOffsets();
    *layout = {builder.headerOffset(), at[0], at[1], at[3], at[2], package.size() - kTrailerSize, package.size()};
    return package;
}

void SetDistance(Bytes& package, const Layout& l, uint32_t distance)
{
    PutU32(package, l.trailer + 12, distance ^ kHeaderDistanceMask);
}

void SetHeaderLength(Bytes& package, const Layout& l, uint32_t length)
{
    PutU32(package, l.header + 4, length);
    testsupport::ResealPackage(package);
}

// A package like StandardPackage whose document chunk carries `stream` as is.
Bytes WithDocumentStream(const Bytes& stream)
{
    PackageBuilder builder;
    builder.Saver(testsupport::RandomBytes(100, 26)).Raw(kTagDocument, 48, stream);
    return builder.Build();
}

Bytes WithLogoStream(const Bytes& stream)
{
    PackageBuilder builder;
    builder.Raw(kTagLogo, 52, stream).Saver(testsupport::RandomBytes(100, 27));
    return builder.Build();
}

struct Damage {
    const char* what;
    std::function<void(Bytes&, const Layout&)> edit;
};

TEST_F(ReaderTest, RefusesEveryKindOfDamage)
{
    Layout base;
    Bytes good = StandardPackage(&base);
    ASSERT_EQ(Load(good), 1) << "the undamaged package must load";

    const Bytes docStream = testsupport::Deflate(testsupport::CompressibleBytes(20000));
    const Bytes logoStream = testsupport::Deflate(testsupport::RandomBytes(10000, 28));
    ASSERT_GT(logoStream.size(), 8192u);
    ResetReader();
    ASSERT_EQ(Load(WithDocumentStream(docStream)), 1);
    ResetReader();
    ASSERT_EQ(Load(WithLogoStream(logoStream)), 1);
    const uint32_t u = uint32_t(base.unknown);

    const Damage cases[] = {
        // Trailer.
        {"trailer tag in capitals", [](Bytes& p, const Layout& l) { memcpy(&p[l.trailer], "IEND", 4); }},
        {"trailer tag zero", [](Bytes& p, const Layout& l) { PutU32(p, l.trailer, 0); }},
        {"only a stub", [](Bytes& p, const Layout& l) { p.resize(l.header); }},
        {"file shorter than a trailer", [](Bytes& p, const Layout& l) { p.erase(p.begin(), p.begin() + long(l.trailer + 1)); }},
        {"empty file", [](Bytes& p, const Layout&) { p.clear(); }},
        {"trailer cut short at the end", [](Bytes& p, const Layout&) { p.pop_back(); }},
        // Header distance.
        {"distance 0", [](Bytes& p, const Layout& l) { SetDistance(p, l, 0); }},
        {"distance one short of header and trailer", [](Bytes& p, const Layout& l) { SetDistance(p, l, 1370 + 56 - 1); }},
        {"distance one past the file's start", [](Bytes& p, const Layout& l) { SetDistance(p, l, uint32_t(l.size + 1)); }},
        {"distance all ones", [](Bytes& p, const Layout& l) { SetDistance(p, l, 0xFFFFFFFFu); }},
        {"distance to the middle of the stub", [](Bytes& p, const Layout& l) { SetDistance(p, l, uint32_t(l.size - l.header / 2)); }},
        {"distance one byte short", [](Bytes& p, const Layout& l) { SetDistance(p, l, uint32_t(l.size - l.header - 1)); }},
        // Header record.
        {"header tag in capitals", [](Bytes& p, const Layout& l) { memcpy(&p[l.header], "IHDR", 4); testsupport::ResealPackage(p); }},
        {"header title byte changed", [](Bytes& p, const Layout& l) { p[l.header + 814] ^= 0x20; }},
        {"header last byte changed", [](Bytes& p, const Layout& l) { p[l.header + 1369] ^= 0x01; }},
        {"header colour changed", [](Bytes& p, const Layout& l) { p[l.header + 16] ^= 0x80; }},
        {"header checksum changed", [](Bytes& p, const Layout& l) { p[l.trailer + 16] ^= 0x01; }},
        {"header length 0", [](Bytes& p, const Layout& l) { SetHeaderLength(p, l, 0); }},
        {"header length 8", [](Bytes& p, const Layout& l) { SetHeaderLength(p, l, 8); }},
        {"header length 1369", [](Bytes& p, const Layout& l) { SetHeaderLength(p, l, 1369); }},
        {"header length past the end", [](Bytes& p, const Layout& l) { SetHeaderLength(p, l, uint32_t(l.size - l.header + 1)); }},
        {"header length to the end", [](Bytes& p, const Layout& l) { SetHeaderLength(p, l, uint32_t(l.size - l.header)); }},
        {"header length wraps to 0", [](Bytes& p, const Layout& l) { SetHeaderLength(p, l, uint32_t(0 - l.header)); }},
        {"header length 2^31", [](Bytes& p, const Layout& l) { SetHeaderLength(p, l, 0x80000000u); }},
        // Records shorter than their kind's record.
        {"saver length 309", [](Bytes& p, const Layout& l) { PutU32(p, l.saver + 4, 309); }},
        {"saver length 8", [](Bytes& p, const Layout& l) { PutU32(p, l.saver + 4, 8); }},
        {"saver length 1", [](Bytes& p, const Layout& l) { PutU32(p, l.saver + 4, 1); }},
        {"document length 47", [](Bytes& p, const Layout& l) { PutU32(p, l.document + 4, 47); }},
        {"document length 8", [](Bytes& p, const Layout& l) { PutU32(p, l.document + 4, 8); }},
        {"logo length 51", [](Bytes& p, const Layout& l) { PutU32(p, l.logo + 4, 51); }},
        // Lengths that leave the file or wrap around 2^32.
        {"length one past the end", [u](Bytes& p, const Layout& l) { PutU32(p, u + 4, uint32_t(l.size - u + 1)); }},
        {"saver length past the end", [](Bytes& p, const Layout& l) { PutU32(p, l.saver + 4, uint32_t(l.size - l.saver + 1)); }},
        {"document length past the end", [](Bytes& p, const Layout& l) { PutU32(p, l.document + 4, uint32_t(l.size - l.document + 100)); }},
        {"length wraps one back", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, 0xFFFFFFFFu); }},
        {"length wraps to the same chunk's length", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, 0xFFFFFFFCu); }},
        {"length wraps to the previous chunk", [u](Bytes& p, const Layout& l) { PutU32(p, u + 4, uint32_t(l.document - u)); }},
        {"length wraps to the header", [u](Bytes& p, const Layout& l) { PutU32(p, u + 4, uint32_t(l.header - u)); }},
        {"length wraps to 0", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, uint32_t(0 - u)); }},
        {"length 2^31 - 1", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, 0x7FFFFFFFu); }},
        {"length 2^31", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, 0x80000000u); }},
        {"length 2^31 + 1", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, 0x80000001u); }},
        {"length reaching 2^31 - 1", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, 0x7FFFFFFFu - u); }},
        {"length reaching 2^31", [u](Bytes& p, const Layout&) { PutU32(p, u + 4, 0x80000000u - u); }},
        // Chunks that cannot be read.
        {"walk reaches the end of the file", [u](Bytes& p, const Layout& l) { PutU32(p, u + 4, uint32_t(l.size - u)); }},
        {"walk reaches the last four bytes", [u](Bytes& p, const Layout& l) { PutU32(p, u + 4, uint32_t(l.size - 4 - u)); }},
        {"walk reaches the last seven bytes", [u](Bytes& p, const Layout& l) { PutU32(p, u + 4, uint32_t(l.size - 7 - u)); }},
        // Inflation of the document or the logo.
        {"document stream damaged", [](Bytes& p, const Layout& l) { p[l.document + 48 + 30] ^= 0x55; }},
        {"document Adler-32 wrong", [](Bytes& p, const Layout& l) { p[l.unknown - 1] ^= 0x01; }},
        {"logo zlib header wrong", [](Bytes& p, const Layout& l) { p[l.logo + 52] ^= 0x01; }},
        {"logo Adler-32 wrong", [](Bytes& p, const Layout& l) { p[l.trailer - 4] ^= 0x80; }},
        {"document of compressed length 0", [](Bytes& p, const Layout&) { p = WithDocumentStream({}); }},
        {"document inflating to nothing", [](Bytes& p, const Layout&) { p = WithDocumentStream(testsupport::Deflate({})); }},
        {"document stream cut short", [&docStream](Bytes& p, const Layout&) {
             p = WithDocumentStream(Bytes(docStream.begin(), docStream.end() - 5));
         }},
        {"logo stream cut to one byte", [&logoStream](Bytes& p, const Layout&) {
             p = WithLogoStream(Bytes(logoStream.begin(), logoStream.begin() + 1));
         }},
        {"logo stream cut after 8192 bytes", [&logoStream](Bytes& p, const Layout&) {
             p = WithLogoStream(Bytes(logoStream.begin(), logoStream.begin() + 8192));
         }},
        // Self-check of the stub image.
        {"first stub byte changed", [](Bytes& p, const Layout&) { p[0] ^= 0x01; }},
        {"middle stub byte changed", [](Bytes& p, const Layout& l) { p[l.header / 2] ^= 0x10; }},
        {"last stub byte changed", [](Bytes& p, const Layout& l) { p[l.header - 1] ^= 0x80; }},
        {"stub check value changed", [](Bytes& p, const Layout& l) { p[l.trailer + 23] ^= 0x01; }},
        {"stub grown by one byte", [](Bytes& p, const Layout&) { p.insert(p.begin(), 0x4D); }},
    };

    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.what);
        ResetReader();
        Bytes package = good;
        damage.edit(package, base);
        EXPECT_EQ(Load(package), 0);
    }
}

TEST_F(ReaderTest, EmptyStubImageWithNonzeroCheckFails)
{
    PackageBuilder builder;
    builder.Stub({});
    Bytes package = builder.Build();
    PutU32(package, package.size() - kTrailerSize + 20, 1);
    EXPECT_EQ(Load(package), 0);
}

TEST_F(ReaderTest, FailedSelfCheckKeepsWhatWasRead)
{
    // Start-up paints the window behind the damage message from the header the
    // reader left, and frees the blocks it loaded.
    Layout l;
    Bytes package = StandardPackage(&l);
    package[10] ^= 0x01;
    ASSERT_EQ(Load(package), 0);
    EXPECT_EQ(uint32_t(instheader.dwTag), kTagHeader);
    EXPECT_EQ(scrpos, l.saver);
    EXPECT_NE(doc, nullptr);
    EXPECT_NE(image, nullptr);
}

}  // namespace
