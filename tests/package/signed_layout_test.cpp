// Signed installers: the PE rule on hand-made headers, the self-check that looks
// past the two fields signing rewrites, and where the reader finds the package in
// front of a certificate table (signing stood in for by FakeSign).
#include "package/bounded_reader.h"
#include "package/installer_state.h"
#include "package/pe_image.h"
#include "package/reader.h"
#include "package/scoped_handles.h"
#include "package/stub_check.h"
#include "support/package_builder.h"
#include "support/pe_stub.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <string.h>

namespace {

using namespace package;
using testsupport::Bytes;
using testsupport::PeShape;
using testsupport::PutU32;

// The rule run over the bytes in memory and over the same bytes in a file: both
// readers must agree.
bool FindFields(const Bytes& bytes, PeImageFields* fields)
{
    bool inMemory = FindPeImageFields(BoundedReader::OverMemory(bytes.data(), uint32_t(bytes.size())), fields);
    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.Path("image.exe"), bytes);
    ScopedFile file(OpenFileW(testsupport::Wide(dir.Path("image.exe")).c_str(), OF_READ));
    PeImageFields fromFile = {};
    bool inFile = FindPeImageFields(BoundedReader::OverFile(file.get(), uint32_t(bytes.size())), &fromFile);
    EXPECT_EQ(inMemory, inFile);
    if (inMemory && inFile) {
        EXPECT_EQ(fields->checkSumOffset, fromFile.checkSumOffset);
        EXPECT_EQ(fields->certificateEntryOffset, fromFile.certificateEntryOffset);
    }
    return inMemory;
}

TEST(PeRule, HandMadeHeaders)
{
    const struct {
        const char* what;
        std::function<void(PeShape&)> shape;
        std::function<void(const PeShape&, Bytes&)> damage;
        bool expected;
    } cases[] = {
        {"PE32", [](PeShape&) {}, nullptr, true},
        {"PE32+", [](PeShape& s) { s.magic = 0x20B; s.optionalSize = 240; }, nullptr, true},
        {"PE32, smallest headers that reach the entry", [](PeShape& s) { s.optionalSize = 136; s.directories = 5; },
         nullptr, true},
        {"PE32, optional header one byte short", [](PeShape& s) { s.optionalSize = 135; }, nullptr, false},
        {"PE32+, optional header one byte short", [](PeShape& s) { s.magic = 0x20B; s.optionalSize = 151; },
         nullptr, false},
        {"four data directories", [](PeShape& s) { s.directories = 4; }, nullptr, false},
        {"ROM image magic", [](PeShape& s) { s.magic = 0x107; }, nullptr, false},
        {"no MZ", [](PeShape&) {}, [](const PeShape&, Bytes& b) { b[1] = 'X'; }, false},
        {"no PE signature", [](PeShape&) {}, [](const PeShape& s, Bytes& b) { b[s.newHeader + 2] = 1; }, false},
        {"cut inside the certificate entry", [](PeShape&) {},
         [](const PeShape& s, Bytes& b) { b.resize(testsupport::CertificateEntryOffset(s) + 7); }, false},
        {"cut right after the certificate entry", [](PeShape&) {},
         [](const PeShape& s, Bytes& b) { b.resize(testsupport::CertificateEntryOffset(s) + 8); }, true},
        {"PE32+ cut where a PE32 entry would end", [](PeShape& s) { s.magic = 0x20B; s.optionalSize = 240; },
         [](const PeShape& s, Bytes& b) { b.resize(s.newHeader + 160); }, false},
        {"shorter than a DOS header", [](PeShape&) {}, [](const PeShape&, Bytes& b) { b.resize(0x3E); }, false},
        {"e_lfanew far beyond the image", [](PeShape&) {},
         [](const PeShape&, Bytes& b) { PutU32(b, 0x3C, 0x7FFFFFF0); }, false},
        {"e_lfanew near 2^32", [](PeShape&) {}, [](const PeShape&, Bytes& b) { PutU32(b, 0x3C, 0xFFFFFFF8); },
         false},
        {"e_lfanew at the image's last bytes", [](PeShape&) {},
         [](const PeShape&, Bytes& b) {
             PutU32(b, 0x3C, uint32_t(b.size() - 4));
             memcpy(&b[b.size() - 4], "PE\0\0", 4);
         }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PeShape shape;
        c.shape(shape);
        Bytes image = testsupport::MakePeImage(shape);
        if (c.damage)
            c.damage(shape, image);
        PeImageFields fields = {};
        ASSERT_EQ(FindFields(image, &fields), c.expected);
        if (c.expected) {
            EXPECT_EQ(fields.checkSumOffset, testsupport::CheckSumOffset(shape));
            EXPECT_EQ(fields.certificateEntryOffset, testsupport::CertificateEntryOffset(shape));
        }
    }
}

// zlib's crc32 of the image with the two fields zeroed is the oracle; the
// fields are put across the 8 KiB pieces the check reads in.
TEST(StubCheck, IsTheCrcWithCheckSumAndCertificateEntryReadAsZero)
{
    const struct {
        const char* what;
        bool pe;
        PeShape shape;
    } cases[] = {
        {"not a PE image", false, {}},
        {"PE32", true, {}},
        {"PE32, CheckSum across a piece boundary", true, {8192 - 90, 0x10B, 224, 16, 20000}},
        {"PE32+, entry across a piece boundary", true, {8192 - 172, 0x20B, 240, 16, 20000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes image = c.pe ? testsupport::MakePeImage(c.shape) : testsupport::RandomBytes(c.shape.size, 3);
        if (c.pe) {
            PutU32(image, testsupport::CheckSumOffset(c.shape), 0xDEADBEEF);
            PutU32(image, testsupport::CertificateEntryOffset(c.shape), 0x1000);
            PutU32(image, testsupport::CertificateEntryOffset(c.shape) + 4, 0x2000);
        }
        Bytes blanked = image;
        if (c.pe) {
            memset(&blanked[testsupport::CheckSumOffset(c.shape)], 0, 4);
            memset(&blanked[testsupport::CertificateEntryOffset(c.shape)], 0, 8);
        }
        uint32_t expected = uint32_t(::crc32(0, blanked.data(), uInt(blanked.size())));
        EXPECT_EQ(ComputeStubCheck(image.data(), uint32_t(image.size())), expected);

        testsupport::TempDir dir;
        testsupport::WriteFileBytes(dir.Path("stub.exe"), image);
        ScopedFile file(OpenFileW(testsupport::Wide(dir.Path("stub.exe")).c_str(), OF_READ));
        uint32_t fromFile = 0;
        ASSERT_TRUE(ComputeStubCheck(BoundedReader::OverFile(file.get(), uint32_t(image.size())), &fromFile));
        EXPECT_EQ(fromFile, expected);
    }
}

class SignedReaderTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        ClearInstallerRecords();
        ReleaseInstallerBlocks();
        scrpos = 0;
    }

    Bytes Unsigned(const PeShape& shape)
    {
        testsupport::PackageBuilder builder;
        builder.Stub(testsupport::MakePeImage(shape))
            .Saver(testsupport::RandomBytes(3000, 1))
            .Document(testsupport::CompressibleBytes(2000));
        return builder.Build();
    }

    int Load(const Bytes& installer)
    {
        Reset();
        testsupport::WriteFileBytes(path_, installer);
        return LoadInstaller(nullptr, testsupport::Wide(path_).c_str());
    }

    testsupport::TempDir dir_;
    std::string path_ = dir_.Path("setup.exe");
};

TEST_F(SignedReaderTest, FindsThePackageInFrontOfTheCertificateTableOnly)
{
    const PeShape pe32;
    PeShape pe32Plus;
    pe32Plus.magic = 0x20B;
    pe32Plus.optionalSize = 240;
    const struct {
        const char* what;
        const PeShape* shape;
        int padding;  // -1: not signed
        std::function<void(Bytes&, size_t unsignedSize)> change;
        int expected;
    } cases[] = {
        {"signed, no padding", &pe32, 0, nullptr, 1},
        {"signed, 7 bytes of padding", &pe32, 7, nullptr, 1},
        {"signed PE32+", &pe32Plus, 3, nullptr, 1},
        {"signed, 8 bytes of padding", &pe32, 8, nullptr, 0},
        {"a nonzero byte in the padding", &pe32, 4, [](Bytes& b, size_t n) { b[n + 1] = 1; }, 0},
        {"a byte appended after signing", &pe32, 0, [](Bytes& b, size_t) { b.push_back(0); }, 0},
        {"an entry that ends before the file", &pe32, 0,
         [](Bytes& b, size_t) { PutU32(b, testsupport::CertificateEntryOffset(PeShape()) + 4, 1199); }, 0},
        {"an entry past the end of the file", &pe32, 0,
         [](Bytes& b, size_t) { PutU32(b, testsupport::CertificateEntryOffset(PeShape()) + 4, 1201); }, 0},
        {"an entry that points elsewhere", &pe32, 0,
         [](Bytes& b, size_t) { PutU32(b, testsupport::CertificateEntryOffset(PeShape()), 100); }, 0},
        {"a changed byte of the stub image", &pe32, 0, [](Bytes& b, size_t) { b[2000] ^= 1; }, 0},
        {"a changed byte of the certificate table", &pe32, 0, [](Bytes& b, size_t n) { b[n + 10] ^= 1; }, 1},
        // Past the package, padding and the table's first byte would read as a
        // chunk of length 0, which ends the walk.
        {"the last chunk reaching over the trailer", &pe32, 7,
         [](Bytes& b, size_t n) {
             size_t document = 4096 + kHeaderRecordSize + testsupport::GetU32(b, 4096 + kHeaderRecordSize + 4);
             PutU32(b, document + 4, uint32_t(n - document));
             b[n + 7] = 0;
         }, 0},
        {"unsigned, 3 zero bytes appended", &pe32, -1, [](Bytes& b, size_t) { b.resize(b.size() + 3, 0); }, 1},
        {"unsigned, a nonzero byte appended", &pe32, -1, [](Bytes& b, size_t) { b.push_back(0xFF); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes installer = Unsigned(*c.shape);
        size_t unsignedSize = installer.size();
        ASSERT_EQ(Load(installer), 1);
        if (c.padding >= 0)
            testsupport::FakeSign(installer, *c.shape, uint32_t(c.padding));
        if (c.change)
            c.change(installer, unsignedSize);
        EXPECT_EQ(Load(installer), c.expected);
        if (c.expected == 1) {
            EXPECT_NE(doc, nullptr);
            EXPECT_EQ(scrpos, 4096u + kHeaderRecordSize);
        }
    }
}

}  // namespace
