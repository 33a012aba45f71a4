// The writer's layout against the tests' own package builder, and against the
// installer's reader.
#include "images/dib_encode.h"
#include "platform/file_util.h"
#include "packing/loaded_package.h"
#include "packing/package_writer.h"
#include "pe/pe_checksum.h"

#include "package/crc32.h"
#include "package/package_format.h"
#include "package/scoped_handles.h"
#include "package/stub_check.h"
#include "support/package_builder.h"
#include "support/pe_stub.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdio.h>
#include <string.h>

namespace {

using namespace package;
using saverpack::PackageLayout;
using saverpack::PackageContents;
using testsupport::Bytes;
using testsupport::GetU32;

// A 7 x 6 logo of `colours` colours, half of it transparent with alpha.
Bytes LogoDib(int colours, bool alpha = false)
{
    saverpack::LogoImage image;
    image.width = 7;
    image.height = 6;
    for (int i = 0; i < 42; ++i)
        image.rgba.insert(image.rgba.end(), {uint8_t(i % colours), 50, 60, uint8_t(alpha && i % 2 ? 128 : 255)});
    Bytes dib;
    saverpack::EncodeLogoDib(image, &dib);
    return dib;
}

PackageContents BaseContents()
{
    PackageContents contents;
    contents.stub = testsupport::RandomBytes(3001, 5);
    contents.saver = testsupport::RandomBytes(20000, 6);
    contents.saverName = "FLYING.SCR";
    contents.title = "Flying Things";
    contents.description = "They fly.";
    contents.colour = 0x00123456;
    contents.timeout = 42;
    return contents;
}

// The installer WritePackage writes, read back from a scratch file.
bool BuildPackage(const PackageContents& contents, Bytes* out, PackageLayout* layout, std::string* error)
{
    std::string scratch;
    if (!saverpack::MakeScratchFile(&scratch, error))
        return false;
    bool written;
    {
        package::ScopedFile file(OpenFileW(testsupport::Wide(scratch).c_str(), OF_CREATE));
        written = file.valid() && saverpack::WritePackage(contents, file.get(), scratch, layout, error);
        if (!file.valid())
            *error = "cannot write " + scratch;
    }
    written = written && saverpack::ReadWholeFile(scratch, out, error);
    remove(scratch.c_str());
    return written;
}

Bytes Build(const PackageContents& contents, PackageLayout* layout = nullptr)
{
    Bytes out;
    PackageLayout ignored;
    std::string error;
    EXPECT_TRUE(BuildPackage(contents, &out, layout != nullptr ? layout : &ignored, &error)) << error;
    return out;
}

// Laid out by hand from the same parts, the tests' builder must give the very
// same bytes: same order, same records, same masks and checks.
TEST(BuildPackage, EqualsTheTestBuilderForEveryMixOfParts)
{
    for (bool withDocument : {false, true}) {
        for (int logoBits : {0, 1, 4, 8, 32}) {
            PackageContents contents = BaseContents();
            testsupport::PackageBuilder builder;
            builder.AlignEnd(8).Stub(contents.stub).Title(contents.title).Description(contents.description).Colour(contents.colour)
                .Timeout(contents.timeout).Saver(contents.saver, contents.saverName, 9);
            memcpy(builder.header().abTextMarker, package::kUtf8TextMarker, 4);
            if (withDocument) {
                contents.hasDocument = true;
                contents.document = testsupport::CompressibleBytes(5000);
                builder.Document(contents.document);
            }
            if (logoBits != 0) {
                contents.hasLogo = true;
                contents.logo = LogoDib(logoBits == 1 ? 2 : logoBits == 4 ? 9 : 42, logoBits == 32);
                contents.logoAlpha = logoBits == 32;
                builder.Logo(contents.logo, logoBits == 32 ? package::kLogoAlphaMarker : 0);
            }
            SCOPED_TRACE(std::string(withDocument ? "document" : "no document") + ", logo bits " +
                         std::to_string(logoBits));
            PackageLayout layout;
            Bytes built = Build(contents, &layout);
            EXPECT_EQ(built, builder.Build());
            EXPECT_EQ(built.size() % 8, 0u);

            EXPECT_EQ(layout.headerOffset, contents.stub.size());
            EXPECT_EQ(layout.saverOffset, layout.headerOffset + kHeaderRecordSize);
            EXPECT_EQ(layout.trailerOffset, built.size() - kTrailerSize);
            EXPECT_EQ(GetU32(built, layout.trailerOffset + 12) ^ kHeaderDistanceMask,
                      built.size() - layout.headerOffset);
        }
    }
}

TEST(BuildPackage, TrailerChecksCoverHeaderAndStub)
{
    PackageContents contents = BaseContents();
    PackageLayout layout;
    Bytes built = Build(contents, &layout);
    size_t trailer = layout.trailerOffset;
    EXPECT_EQ(GetU32(built, trailer), kTagEnd);
    EXPECT_EQ(GetU32(built, trailer + 4), kTrailerSize);
    EXPECT_EQ(GetU32(built, trailer + 16) ^ kHeaderCrcMask,
              package::crc32(0, built.data() + layout.headerOffset, kHeaderRecordSize));
    EXPECT_EQ(GetU32(built, trailer + 20), package::ComputeStubCheck(contents.stub.data(), uint32_t(contents.stub.size())));
    EXPECT_EQ(GetU32(built, layout.headerOffset + 16), 0x00123456u);
    EXPECT_EQ(GetU32(built, layout.headerOffset + 20), 42u);
    // The stub's bytes are carried over untouched.
    EXPECT_TRUE(std::equal(contents.stub.begin(), contents.stub.end(), built.begin()));
}

// An empty stub image is allowed by the layout; the self-check then covers nothing.
TEST(BuildPackage, EmptyStubImage)
{
    PackageContents contents = BaseContents();
    contents.stub.clear();
    PackageLayout layout;
    Bytes built = Build(contents, &layout);
    EXPECT_EQ(layout.headerOffset, 0u);
    EXPECT_EQ(GetU32(built, layout.trailerOffset + 20), 0u);

    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.Path("empty-stub.exe"), built);
    saverpack::LoadedPackage loaded(dir.Path("empty-stub.exe"));
    EXPECT_TRUE(loaded.valid());
}

TEST(BuildPackage, LongestTextsFillTheirFieldsAndStayTerminated)
{
    PackageContents contents = BaseContents();
    contents.title = std::string(saverpack::kMaxTitle, 'T');
    contents.description = std::string(saverpack::kMaxDescription, 'D');
    contents.saverName = std::string(saverpack::kMaxFileName - 4, 'N') + ".SCR";
    PackageLayout layout;
    Bytes built = Build(contents, &layout);
    const InstHeader* header = reinterpret_cast<const InstHeader*>(built.data() + layout.headerOffset);
    EXPECT_EQ(header->szTitle[sizeof header->szTitle - 1], '\0');
    EXPECT_EQ(strlen(header->szTitle), saverpack::kMaxTitle);
    EXPECT_EQ(strlen(header->szDescription), saverpack::kMaxDescription);
    const InstScr* saver = reinterpret_cast<const InstScr*>(built.data() + layout.saverOffset);
    EXPECT_EQ(strlen(saver->szFileName), saverpack::kMaxFileName);

    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.Path("long.exe"), built);
    saverpack::LoadedPackage loaded(dir.Path("long.exe"));
    ASSERT_TRUE(loaded.valid());
    EXPECT_EQ(std::string(loaded.header().szTitle), contents.title);
    EXPECT_EQ(std::string(loaded.header().szDescription), contents.description);
    EXPECT_EQ(std::string(loaded.saver().szFileName), contents.saverName);
}

TEST(BuildPackage, EveryLevelInflatesBackWithTheInstallersCode)
{
    testsupport::TempDir dir;
    for (int level = 0; level <= 9; ++level) {
        PackageContents contents = BaseContents();
        contents.saver = testsupport::CompressibleBytes(70000);
        contents.level = level;
        PackageLayout layout;
        Bytes built = Build(contents, &layout);
        std::string path = dir.Path("level" + std::to_string(level) + ".exe");
        testsupport::WriteFileBytes(path, built);
        saverpack::LoadedPackage loaded(path);
        ASSERT_TRUE(loaded.valid()) << "level " << level;
        uint32_t size = 0;
        std::string error;
        ASSERT_TRUE(saverpack::InflateSaverToNowhere(path, layout.saverOffset, &size, &error)) << error;
        EXPECT_EQ(size, contents.saver.size()) << "level " << level;
    }
}

TEST(BuildPackage, RefusesWhatTheRecordsCannotHoldOrTheInstallerWouldRefuse)
{
    struct Case {
        const char* name;
        void (*change)(PackageContents&);
        const char* reason;
    } cases[] = {
        {"title", [](PackageContents& s) { s.title.assign(262, 't'); }, "title is 262 bytes long; at most 261"},
        {"description", [](PackageContents& s) { s.description.assign(294, 'd'); }, "at most 293"},
        {"name length", [](PackageContents& s) { s.saverName.assign(294, 'n'); }, "at most 293"},
        {"name with directory", [](PackageContents& s) { s.saverName = "..\\evil.scr"; }, "plain file name"},
        {"name empty", [](PackageContents& s) { s.saverName.clear(); }, "not a file name"},
        {"timeout", [](PackageContents& s) { s.timeout = 10000; }, "timeout"},
        {"colour", [](PackageContents& s) { s.colour = 0x01000000; }, "colour"},
        {"level", [](PackageContents& s) { s.level = 10; }, "level"},
        {"empty saver", [](PackageContents& s) { s.saver.clear(); }, "saver is empty"},
        {"empty document", [](PackageContents& s) { s.hasDocument = true; s.document.clear(); }, "document is empty"},
        {"logo not a bitmap", [](PackageContents& s) { s.hasLogo = true; s.logo.assign(10, 1); }, "logo cannot be drawn"},
        {"opaque logo marked for blending", [](PackageContents& s) {
             s.hasLogo = true;
             s.logo = LogoDib(9);
             s.logoAlpha = true;
         }, "4 bits per pixel; only 32 carry alpha"},
    };
    for (const Case& c : cases) {
        PackageContents contents = BaseContents();
        c.change(contents);
        Bytes out{1, 2, 3};
        PackageLayout layout;
        std::string error;
        EXPECT_FALSE(BuildPackage(contents, &out, &layout, &error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
}

}  // namespace

// Known answers from an independent implementation (32-bit words with carry, as
// pefile sums them), for even and odd lengths and a sum that folds many times;
// fed whole and in uneven pieces.
TEST(PeChecksum, MatchesAnIndependentSumInAnyPieces)
{
    const struct {
        size_t length;
        uint8_t (*byte)(size_t);
        uint32_t expected;
    } cases[] = {
        {1001, [](size_t i) { return uint8_t(i * 7 + 3); }, 0xD575},
        {1000, [](size_t i) { return uint8_t(i * 7 + 3); }, 0xD519},
        {70000, [](size_t i) { return uint8_t(i * 7 + 3); }, 0x1A582},
        {70001, [](size_t) { return uint8_t(0xFF); }, 0x11270},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        Bytes data(c.length);
        for (size_t i = 0; i < c.length; ++i)
            data[i] = c.byte(i);
        for (size_t piece : {c.length, size_t(1), size_t(3), size_t(4097)}) {
            saverpack::PeChecksum checksum(216);
            for (size_t done = 0; done < data.size(); done += piece)
                checksum.Add(data.data() + done, std::min(piece, data.size() - done));
            EXPECT_EQ(checksum.Value(), c.expected) << "pieces of " << piece;
        }
    }
}

// A PE stub gets the installer's right CheckSum, which the self-check ignores;
// a signed stub is refused, since its signature would cover nothing.
TEST(BuildPackage, WritesThePeChecksumAndRefusesASignedStub)
{
    testsupport::PeShape shape;
    PackageContents contents = BaseContents();
    contents.stub = testsupport::MakePeImage(shape);
    Bytes built = Build(contents);
    uint32_t stored = GetU32(built, testsupport::CheckSumOffset(shape));
    saverpack::PeChecksum checksum(testsupport::CheckSumOffset(shape));
    checksum.Add(built.data(), built.size());
    EXPECT_EQ(stored, checksum.Value());
    EXPECT_NE(stored, 0u);
    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.Path("setup.exe"), built);
    EXPECT_TRUE(saverpack::LoadedPackage(dir.Path("setup.exe")).valid());

    testsupport::FakeSign(contents.stub, shape, 0);
    Bytes out;
    PackageLayout layout;
    std::string error;
    EXPECT_FALSE(BuildPackage(contents, &out, &layout, &error));
    EXPECT_NE(error.find("sign the installer, not the stub"), std::string::npos) << error;
}
