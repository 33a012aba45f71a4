// .bmp files into the packed bitmap the installer draws, and the check of a
// packed bitmap read back from a package.
#include "bmp_files.h"
#include "packed_dib.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

using bmpfiles::BmpShape;
using bmpfiles::GetU16;
using bmpfiles::GetU32;
using bmpfiles::MakeBmp;
using saverpack::DibFacts;
using saverpack::PackedDibFromBmp;

struct Converted {
    bool ok;
    bmpfiles::Bytes dib;
    DibFacts facts;
    std::string error;
};

Converted Convert(const bmpfiles::Bytes& file)
{
    Converted c;
    c.ok = PackedDibFromBmp(file, &c.dib, &c.facts, &c.error);
    return c;
}

// Every depth, at widths that leave each kind of row padding, ends in the layout
// the installer assumes: 40-byte header, 2^bits table entries, rows bottom-up.
TEST(PackedDibFromBmp, EveryDepthAndRowPadding)
{
    for (uint16_t bits : {1, 4, 8, 24}) {
        for (int32_t width : {1, 2, 3, 5, 8, 17, 33}) {
            BmpShape shape;
            shape.bitCount = bits;
            shape.width = width;
            shape.height = 4;
            bmpfiles::BmpFile bmp = MakeBmp(shape);
            Converted c = Convert(bmp.file);
            SCOPED_TRACE(std::to_string(bits) + " bits, width " + std::to_string(width));
            ASSERT_TRUE(c.ok) << c.error;

            uint32_t entries = bits <= 8 ? 1u << bits : 0;
            uint32_t imageSize = bmpfiles::RowBytes(width, bits) * 4;
            ASSERT_EQ(c.dib.size(), 40 + 4 * entries + imageSize);
            EXPECT_EQ(GetU32(c.dib, 0), 40u);
            EXPECT_EQ(int32_t(GetU32(c.dib, 4)), width);
            EXPECT_EQ(int32_t(GetU32(c.dib, 8)), 4);
            EXPECT_EQ(GetU16(c.dib, 12), 1u);
            EXPECT_EQ(GetU16(c.dib, 14), bits);
            EXPECT_EQ(GetU32(c.dib, 16), 0u);
            EXPECT_EQ(GetU32(c.dib, 20), imageSize);
            EXPECT_EQ(GetU32(c.dib, 32), 0u);
            EXPECT_TRUE(std::equal(bmp.table.begin(), bmp.table.end(), c.dib.begin() + 40));
            EXPECT_TRUE(std::equal(bmp.pixels.begin(), bmp.pixels.end(), c.dib.begin() + 40 + 4 * entries));
            EXPECT_EQ(c.facts.width, width);
            EXPECT_EQ(c.facts.height, 4);
            EXPECT_EQ(c.facts.bitCount, bits);

            DibFacts facts;
            std::string problem;
            EXPECT_TRUE(saverpack::CheckPackedDib(c.dib.data(), c.dib.size(), &facts, &problem)) << problem;
        }
    }
}

TEST(PackedDibFromBmp, ShortColourTableIsPaddedToTheFullCount)
{
    BmpShape shape;
    shape.bitCount = 8;
    shape.clrUsed = 3;
    bmpfiles::BmpFile bmp = MakeBmp(shape);
    Converted c = Convert(bmp.file);
    ASSERT_TRUE(c.ok) << c.error;
    ASSERT_EQ(c.dib.size(), 40 + 1024 + bmp.pixels.size());
    EXPECT_TRUE(std::equal(bmp.table.begin(), bmp.table.end(), c.dib.begin() + 40));
    for (size_t i = 40 + 12; i < 40 + 1024; ++i)
        ASSERT_EQ(c.dib[i], 0) << "byte " << i;
    EXPECT_TRUE(std::equal(bmp.pixels.begin(), bmp.pixels.end(), c.dib.begin() + 40 + 1024));
    EXPECT_EQ(GetU32(c.dib, 32), 0u);  // the table is now complete
}

// A V4 or V5 header, or a gap before the pixels, must not shift the table or the
// rows in the result.
TEST(PackedDibFromBmp, LongerHeadersAndGapsAreNormalised)
{
    for (uint32_t headerSize : {40u, 52u, 56u, 108u, 124u}) {
        for (uint32_t gap : {0u, 2u, 100u}) {
            BmpShape shape;
            shape.bitCount = 4;
            shape.headerSize = headerSize;
            shape.gap = gap;
            bmpfiles::BmpFile bmp = MakeBmp(shape);
            Converted c = Convert(bmp.file);
            SCOPED_TRACE("header " + std::to_string(headerSize) + ", gap " + std::to_string(gap));
            ASSERT_TRUE(c.ok) << c.error;
            EXPECT_EQ(GetU32(c.dib, 0), 40u);
            EXPECT_TRUE(std::equal(bmp.table.begin(), bmp.table.end(), c.dib.begin() + 40));
            ASSERT_EQ(c.dib.size(), 40 + 64 + bmp.pixels.size());
            EXPECT_TRUE(std::equal(bmp.pixels.begin(), bmp.pixels.end(), c.dib.begin() + 40 + 64));
        }
    }
}

TEST(PackedDibFromBmp, TwentyFourBitTableIsDropped)
{
    BmpShape shape;
    shape.bitCount = 24;
    shape.clrUsed = 4;  // an optional palette hint, not a colour table the installer reads
    bmpfiles::BmpFile bmp = MakeBmp(shape);
    Converted c = Convert(bmp.file);
    ASSERT_TRUE(c.ok) << c.error;
    ASSERT_EQ(c.dib.size(), 40 + bmp.pixels.size());
    EXPECT_TRUE(std::equal(bmp.pixels.begin(), bmp.pixels.end(), c.dib.begin() + 40));
    EXPECT_EQ(GetU32(c.dib, 32), 0u);
}

struct Refusal {
    const char* name;
    bmpfiles::Bytes file;
    const char* reason;
};

bmpfiles::Bytes With(BmpShape shape)
{
    return MakeBmp(shape).file;
}

template <typename Change>
bmpfiles::Bytes Changed(BmpShape shape, Change change)
{
    bmpfiles::Bytes file = MakeBmp(shape).file;
    change(file);
    return file;
}

void SetU32(bmpfiles::Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = uint8_t(v >> (8 * i));
}

TEST(PackedDibFromBmp, RefusesWhatTheInstallerCannotDraw)
{
    BmpShape base;
    auto shape = [&](auto set) {
        BmpShape s = base;
        set(s);
        return s;
    };
    const Refusal cases[] = {
        {"empty", {}, "not a .bmp file"},
        {"png signature", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "not a .bmp file"},
        {"file header only", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}, "not a .bmp file"},
        {"os2 header", With(shape([](BmpShape& s) { s.headerSize = 12; })), "OS/2"},
        {"header size 20", With(shape([](BmpShape& s) { s.headerSize = 20; })), "header is damaged"},
        {"header larger than file", Changed(base, [](bmpfiles::Bytes& f) { SetU32(f, 14, 100000); }),
         "header is damaged"},
        {"two planes", With(shape([](BmpShape& s) { s.planes = 2; })), "planes"},
        {"rle8", With(shape([](BmpShape& s) { s.compression = 1; })), "BI_RLE8"},
        {"rle4", With(shape([](BmpShape& s) { s.compression = 2; s.bitCount = 4; })), "BI_RLE4"},
        {"bitfields", With(shape([](BmpShape& s) { s.compression = 3; s.bitCount = 16; })), "BI_BITFIELDS"},
        {"16 bits", With(shape([](BmpShape& s) { s.bitCount = 16; })), "16 bits per pixel"},
        {"32 bits", With(shape([](BmpShape& s) { s.bitCount = 32; })), "32 bits per pixel"},
        {"2 bits", With(shape([](BmpShape& s) { s.bitCount = 2; })), "2 bits per pixel"},
        {"top-down", With(shape([](BmpShape& s) { s.height = -3; })), "top-down"},
        {"no width", With(shape([](BmpShape& s) { s.width = 0; })), "no pixels"},
        {"negative width", With(shape([](BmpShape& s) { s.width = -4; })), "no pixels"},
        {"no height", With(shape([](BmpShape& s) { s.height = 0; })), "no pixels"},
        {"table too long", Changed(base, [](bmpfiles::Bytes& f) { SetU32(f, 46, 257); }), "claims 257 entries"},
        {"1-bit table of 3", Changed(shape([](BmpShape& s) { s.bitCount = 1; }),
                                     [](bmpfiles::Bytes& f) { SetU32(f, 46, 3); }),
         "allow 2"},
        {"table cut", Changed(base, [](bmpfiles::Bytes& f) { f.resize(14 + 40 + 100); }), "colour table is cut short"},
        {"pixels inside table", Changed(base, [](bmpfiles::Bytes& f) { SetU32(f, 10, 14 + 40 + 8); }),
         "points into the header"},
        {"pixels cut", Changed(base, [](bmpfiles::Bytes& f) { f.pop_back(); }), "pixel data is cut short"},
        {"pixel offset past the end", Changed(base, [](bmpfiles::Bytes& f) { SetU32(f, 10, 0x7FFFFFFF); }),
         "pixel data is cut short"},
        {"huge dimensions", Changed(shape([](BmpShape& s) { s.bitCount = 24; s.width = 1; s.height = 1; }),
                                    [](bmpfiles::Bytes& f) {
                                        SetU32(f, 18, 0x7FFFFFFF);
                                        SetU32(f, 22, 0x7FFFFFFF);
                                    }),
         "pixel data is cut short"},
    };
    for (const Refusal& r : cases) {
        Converted c = Convert(r.file);
        EXPECT_FALSE(c.ok) << r.name;
        EXPECT_NE(c.error.find(r.reason), std::string::npos) << r.name << ": " << c.error;
    }
}

TEST(CheckPackedDib, FindsBlocksTheInstallerWouldMisread)
{
    BmpShape shape;
    shape.bitCount = 8;
    Converted good = Convert(MakeBmp(shape).file);
    ASSERT_TRUE(good.ok);
    struct Case {
        const char* name;
        size_t size;  // of the block handed over
        size_t at;    // field to change, or SIZE_MAX
        uint32_t value;
        const char* reason;
    };
    const Case cases[] = {
        {"header cut", 39, SIZE_MAX, 0, "header is cut short"},
        {"table cut", 40 + 1000, SIZE_MAX, 0, "cut short"},
        {"last row cut", good.dib.size() - 1, SIZE_MAX, 0, "cut short"},
        {"small biSize", good.dib.size(), 0, 12, "size field"},
        {"biSize past the block", good.dib.size(), 0, 100000, "size field"},
        {"rle", good.dib.size(), 16, 1, "compressed"},
        {"top-down", good.dib.size(), 8, uint32_t(-3), "top-down"},
        {"odd depth", good.dib.size(), 14, 7, "7 bits per pixel"},
        {"huge", good.dib.size(), 4, 0x7FFFFFFF, "cut short"},
    };
    for (const Case& c : cases) {
        bmpfiles::Bytes block(good.dib.begin(), good.dib.begin() + std::min(c.size, good.dib.size()));
        if (c.at != SIZE_MAX) {
            if (c.at == 14) {
                block[14] = uint8_t(c.value);
                block[15] = 0;
            } else {
                SetU32(block, c.at, c.value);
            }
        }
        DibFacts facts;
        std::string problem;
        EXPECT_FALSE(saverpack::CheckPackedDib(block.data(), block.size(), &facts, &problem)) << c.name;
        EXPECT_NE(problem.find(c.reason), std::string::npos) << c.name << ": " << problem;
    }
    // Depths the installer draws but the packer never writes are still drawable.
    shape.bitCount = 24;
    Converted wide = Convert(MakeBmp(shape).file);
    ASSERT_TRUE(wide.ok);
    bmpfiles::Bytes block = wide.dib;
    block[14] = 32;
    block.resize(40 + size_t(bmpfiles::RowBytes(5, 32)) * 3);
    DibFacts facts;
    std::string problem;
    EXPECT_TRUE(saverpack::CheckPackedDib(block.data(), block.size(), &facts, &problem)) << problem;
    EXPECT_EQ(facts.bitCount, 32u);
}

}  // namespace
