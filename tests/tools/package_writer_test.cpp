// The writer's layout against the tests' own package builder, and against the
// installer's reader.
#include "bmp_files.h"
#include "bmp_logo.h"
#include "loaded_package.h"
#include "package_writer.h"

#include "package/crc32.h"
#include "package/package_format.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

using namespace package;
using saverpack::PackageLayout;
using saverpack::PackageSpec;
using testsupport::Bytes;
using testsupport::GetU32;

Bytes LogoDib(uint16_t bits)
{
    bmpfiles::BmpSpec spec;
    spec.bitCount = bits;
    spec.width = 7;
    spec.height = 6;
    Bytes dib;
    saverpack::DibFacts facts;
    std::string error;
    EXPECT_TRUE(saverpack::PackedDibFromBmp(bmpfiles::MakeBmp(spec).file, &dib, &facts, &error)) << error;
    return dib;
}

PackageSpec BaseSpec()
{
    PackageSpec spec;
    spec.stub = testsupport::RandomBytes(3001, 5);
    spec.saver = testsupport::RandomBytes(20000, 6);
    spec.saverName = "FLYING.SCR";
    spec.title = "Flying Things";
    spec.description = "They fly.";
    spec.colour = 0x00123456;
    spec.timeout = 42;
    return spec;
}

Bytes Build(const PackageSpec& spec, PackageLayout* layout = nullptr)
{
    Bytes out;
    PackageLayout ignored;
    std::string error;
    EXPECT_TRUE(saverpack::BuildPackage(spec, &out, layout != nullptr ? layout : &ignored, &error)) << error;
    return out;
}

// Laid out by hand from the same parts, the tests' builder must give the very
// same bytes: same order, same records, same masks and checks.
TEST(BuildPackage, EqualsTheTestBuilderForEveryMixOfParts)
{
    for (bool withDocument : {false, true}) {
        for (int logoBits : {0, 1, 4, 8, 24}) {
            PackageSpec spec = BaseSpec();
            testsupport::PackageBuilder builder;
            builder.Stub(spec.stub).Title(spec.title).Description(spec.description).Colour(spec.colour)
                .Timeout(spec.timeout).Saver(spec.saver, spec.saverName, 9);
            if (withDocument) {
                spec.hasDocument = true;
                spec.document = testsupport::CompressibleBytes(5000);
                builder.Document(spec.document);
            }
            if (logoBits != 0) {
                spec.hasLogo = true;
                spec.logo = LogoDib(uint16_t(logoBits));
                builder.Logo(spec.logo);
            }
            SCOPED_TRACE(std::string(withDocument ? "document" : "no document") + ", logo bits " +
                         std::to_string(logoBits));
            PackageLayout layout;
            Bytes built = Build(spec, &layout);
            EXPECT_EQ(built, builder.Build());

            EXPECT_EQ(layout.headerOffset, spec.stub.size());
            EXPECT_EQ(layout.saverOffset, layout.headerOffset + kHeaderRecordSize);
            EXPECT_EQ(layout.trailerOffset, built.size() - kTrailerSize);
            EXPECT_EQ(GetU32(built, layout.trailerOffset + 12) ^ kHeaderDistanceMask,
                      built.size() - layout.headerOffset);
        }
    }
}

TEST(BuildPackage, TrailerChecksCoverHeaderAndStub)
{
    PackageSpec spec = BaseSpec();
    PackageLayout layout;
    Bytes built = Build(spec, &layout);
    size_t trailer = layout.trailerOffset;
    EXPECT_EQ(GetU32(built, trailer), kTagEnd);
    EXPECT_EQ(GetU32(built, trailer + 4), kTrailerSize);
    EXPECT_EQ(GetU32(built, trailer + 16) ^ kHeaderCrcMask,
              package::crc32(0, built.data() + layout.headerOffset, kHeaderRecordSize));
    EXPECT_EQ(GetU32(built, trailer + 20), package::crc32(0, spec.stub.data(), spec.stub.size()));
    EXPECT_EQ(GetU32(built, layout.headerOffset + 16), 0x00123456u);
    EXPECT_EQ(GetU32(built, layout.headerOffset + 20), 42u);
    // The stub's bytes are carried over untouched.
    EXPECT_TRUE(std::equal(spec.stub.begin(), spec.stub.end(), built.begin()));
}

// An empty stub image is allowed by the layout; the self-check then covers nothing.
TEST(BuildPackage, EmptyStubImage)
{
    PackageSpec spec = BaseSpec();
    spec.stub.clear();
    PackageLayout layout;
    Bytes built = Build(spec, &layout);
    EXPECT_EQ(layout.headerOffset, 0u);
    EXPECT_EQ(GetU32(built, layout.trailerOffset + 20), 0u);

    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.Path("empty-stub.exe"), built);
    saverpack::LoadedPackage loaded(dir.Path("empty-stub.exe"));
    EXPECT_TRUE(loaded.valid());
}

TEST(BuildPackage, LongestTextsFillTheirFieldsAndStayTerminated)
{
    PackageSpec spec = BaseSpec();
    spec.title = std::string(saverpack::kMaxTitle, 'T');
    spec.description = std::string(saverpack::kMaxDescription, 'D');
    spec.saverName = std::string(saverpack::kMaxFileName, 'N');
    PackageLayout layout;
    Bytes built = Build(spec, &layout);
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
    EXPECT_EQ(std::string(loaded.header().szTitle), spec.title);
    EXPECT_EQ(std::string(loaded.header().szDescription), spec.description);
    EXPECT_EQ(std::string(loaded.saver().szFileName), spec.saverName);
}

TEST(BuildPackage, EveryLevelInflatesBackWithTheInstallersCode)
{
    testsupport::TempDir dir;
    for (int level = 0; level <= 9; ++level) {
        PackageSpec spec = BaseSpec();
        spec.saver = testsupport::CompressibleBytes(70000);
        spec.level = level;
        PackageLayout layout;
        Bytes built = Build(spec, &layout);
        std::string path = dir.Path("level" + std::to_string(level) + ".exe");
        testsupport::WriteFileBytes(path, built);
        saverpack::LoadedPackage loaded(path);
        ASSERT_TRUE(loaded.valid()) << "level " << level;
        uint32_t size = 0;
        std::string error;
        ASSERT_TRUE(saverpack::InflateSaverToNowhere(path, layout.saverOffset, &size, &error)) << error;
        EXPECT_EQ(size, spec.saver.size()) << "level " << level;
    }
}

TEST(BuildPackage, RefusesWhatTheRecordsCannotHoldOrTheInstallerWouldRefuse)
{
    struct Case {
        const char* name;
        void (*change)(PackageSpec&);
        const char* reason;
    } cases[] = {
        {"title", [](PackageSpec& s) { s.title.assign(262, 't'); }, "title is 262 characters long; at most 261"},
        {"description", [](PackageSpec& s) { s.description.assign(294, 'd'); }, "at most 293"},
        {"name length", [](PackageSpec& s) { s.saverName.assign(294, 'n'); }, "at most 293"},
        {"name with directory", [](PackageSpec& s) { s.saverName = "..\\evil.scr"; }, "plain file name"},
        {"name empty", [](PackageSpec& s) { s.saverName.clear(); }, "not a file name"},
        {"timeout", [](PackageSpec& s) { s.timeout = 10000; }, "timeout"},
        {"colour", [](PackageSpec& s) { s.colour = 0x01000000; }, "colour"},
        {"level", [](PackageSpec& s) { s.level = 10; }, "level"},
        {"empty saver", [](PackageSpec& s) { s.saver.clear(); }, "saver is empty"},
        {"empty document", [](PackageSpec& s) { s.hasDocument = true; s.document.clear(); }, "document is empty"},
        {"logo not a bitmap", [](PackageSpec& s) { s.hasLogo = true; s.logo.assign(10, 1); }, "logo cannot be drawn"},
    };
    for (const Case& c : cases) {
        PackageSpec spec = BaseSpec();
        c.change(spec);
        Bytes out{1, 2, 3};
        PackageLayout layout;
        std::string error;
        EXPECT_FALSE(saverpack::BuildPackage(spec, &out, &layout, &error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
    }
}

}  // namespace
