// Logo files through the real decoder into the bitmap the package stores: the
// depth chosen, the palette, the (premultiplied) pixels; the files refused; and
// the check of a packed bitmap read back from a package.
#include "bmp_files.h"
#include "images/dib_encode.h"
#include "png_files.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <string.h>

namespace {

using pngfiles::PngShape;
using saverpack::DibFacts;
using Bytes = std::vector<uint8_t>;
using Rgba = std::array<uint8_t, 4>;

uint32_t U32(const Bytes& b, size_t at)
{
    return bmpfiles::GetU32(b, at);
}

// Pixel (x, y), top row first, as the stored bitmap holds it: the palette entry
// for 8 bits or fewer, the raw blue-green-red(-alpha) bytes otherwise; as R G B A.
Rgba StoredPixel(const Bytes& dib, int x, int y)
{
    int width = int32_t(U32(dib, 4)), height = int32_t(U32(dib, 8));
    unsigned bits = bmpfiles::GetU16(dib, 14);
    size_t table = bits <= 8 ? 4u << bits : 0;
    size_t rowBytes = bmpfiles::RowBytes(width, uint16_t(bits));
    const uint8_t* row = dib.data() + 40 + table + rowBytes * size_t(height - 1 - y);
    if (bits == 32)
        return {row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]};
    if (bits == 24)
        return {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
    unsigned perByte = 8 / bits;
    unsigned index = row[x / perByte] >> (8 - bits * (1 + x % perByte)) & ((1u << bits) - 1);
    const uint8_t* entry = dib.data() + 40 + 4 * index;
    return {entry[2], entry[1], entry[0], 255};
}

// The test images pair colours and alphas whose products are multiples of 255,
// so the premultiplied value is exact whatever way of rounding is used.
uint8_t ExactPremultiplied(uint8_t c, uint8_t a)
{
    EXPECT_EQ(c * a % 255, 0) << "test image: " << int(c) << " * " << int(a) << " is not exact";
    return uint8_t(c * a / 255);
}

const uint8_t kAlphas[4] = {255, 0, 51, 102};
const uint16_t kLevels16[4] = {0x0000, 0x5555, 0xAAAA, 0xFFFF};  // 8-bit 0, 85, 170, 255

struct Decoded {
    const char* name;
    Bytes file;
    int width, height;
    uint16_t bits;                       // the depth it must be stored at
    std::function<Rgba(int, int)> want;  // straight (not premultiplied) R G B A
};

PngShape Shape(int width, int height, pngfiles::ColourType type, uint8_t depth, bool interlaced,
               const std::function<std::vector<uint16_t>(int, int)>& pixel)
{
    PngShape s;
    s.width = width;
    s.height = height;
    s.colourType = type;
    s.bitDepth = depth;
    s.interlaced = interlaced;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (uint16_t v : pixel(x, y))
                s.samples.push_back(v);
    return s;
}

std::vector<Decoded> DecodedCases()
{
    std::vector<Decoded> cases;

    PngShape palette = Shape(5, 3, pngfiles::kPalette, 4, false, [](int x, int y) {
        return std::vector<uint16_t>{uint16_t((x + y) % 5)};
    });
    palette.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 85, 170, 255};
    palette.transparency = {0, 51, 255, 102};  // the fifth entry is opaque by omission
    cases.push_back({"palette with tRNS", pngfiles::MakePng(palette), 5, 3, 32, [p = palette](int x, int y) {
                         int i = (x + y) % 5;
                         uint8_t a = i < 4 ? p.transparency[i] : 255;
                         return Rgba{p.palette[3 * i], p.palette[3 * i + 1], p.palette[3 * i + 2], a};
                     }});

    cases.push_back({"16-bit RGBA",
                     pngfiles::MakePng(Shape(4, 4, pngfiles::kRgba, 16, false, [](int x, int y) {
                         uint16_t r = kLevels16[(x + y) % 4];
                         return std::vector<uint16_t>{r, uint16_t(0xFFFF - r), 0xAAAA,
                                                      uint16_t(kAlphas[(3 * x + y) % 4] * 0x101)};
                     })),
                     4, 4, 32, [](int x, int y) {
                         uint8_t r = uint8_t(kLevels16[(x + y) % 4] >> 8);
                         return Rgba{r, uint8_t(255 - r), 0xAA, kAlphas[(3 * x + y) % 4]};
                     }});

    cases.push_back({"grey with alpha",
                     pngfiles::MakePng(Shape(6, 2, pngfiles::kGreyAlpha, 8, false, [](int x, int y) {
                         return std::vector<uint16_t>{uint16_t(85 * (x % 4)), kAlphas[(x + y) % 4]};
                     })),
                     6, 2, 32, [](int x, int y) {
                         uint8_t g = uint8_t(85 * (x % 4));
                         return Rgba{g, g, g, kAlphas[(x + y) % 4]};
                     }});

    // 285 distinct colours: more than a palette holds.
    cases.push_back({"interlaced RGB",
                     pngfiles::MakePng(Shape(19, 15, pngfiles::kRgb, 8, true, [](int x, int y) {
                         return std::vector<uint16_t>{uint16_t(13 * x), uint16_t(17 * y), uint16_t(x * y % 256)};
                     })),
                     19, 15, 24, [](int x, int y) {
                         return Rgba{uint8_t(13 * x), uint8_t(17 * y), uint8_t(x * y % 256), 255};
                     }});

    // Three colours: Windows has no 2-bit bitmaps, so they take 4 bits.
    cases.push_back({"interlaced 2-bit grey",
                     pngfiles::MakePng(Shape(11, 9, pngfiles::kGrey, 2, true, [](int x, int y) {
                         return std::vector<uint16_t>{uint16_t((x * y + x) % 3)};
                     })),
                     11, 9, 4, [](int x, int y) {
                         uint8_t g = uint8_t(85 * ((x * y + x) % 3));
                         return Rgba{g, g, g, 255};
                     }});

    // An alpha channel that is opaque everywhere does not need blending.
    cases.push_back({"opaque RGBA, two colours",
                     pngfiles::MakePng(Shape(10, 3, pngfiles::kRgba, 8, false, [](int x, int y) {
                         uint16_t on = (x + y) % 3 == 0 ? 200 : 10;
                         return std::vector<uint16_t>{on, 40, 90, 255};
                     })),
                     10, 3, 1, [](int x, int y) {
                         return Rgba{uint8_t((x + y) % 3 == 0 ? 200 : 10), 40, 90, 255};
                     }});

    cases.push_back({"17 colours",
                     pngfiles::MakePng(Shape(17, 2, pngfiles::kRgb, 8, false, [](int x, int) {
                         return std::vector<uint16_t>{uint16_t(15 * x), 1, 2};
                     })),
                     17, 2, 8, [](int x, int) { return Rgba{uint8_t(15 * x), 1, 2, 255}; }});

    bmpfiles::BmpShape oneBit;
    oneBit.bitCount = 1;
    oneBit.width = 13;
    oneBit.height = 5;
    bmpfiles::BmpFile oneBitFile = bmpfiles::MakeBmp(oneBit);
    cases.push_back({"1-bit BMP", oneBitFile.file, 13, 5, 1, [=](int x, int y) {
                         bmpfiles::Rgb c = bmpfiles::BmpPixel(oneBit, oneBitFile, x, y);
                         return Rgba{c.r, c.g, c.b, 255};
                     }});

    // 20 random colours: stored bottom-up with a palette.
    bmpfiles::BmpShape topDown;
    topDown.bitCount = 24;
    topDown.width = 5;
    topDown.height = -4;
    bmpfiles::BmpFile topDownFile = bmpfiles::MakeBmp(topDown);
    cases.push_back({"top-down 24-bit BMP", topDownFile.file, 5, 4, 8, [=](int x, int y) {
                         bmpfiles::Rgb c = bmpfiles::BmpPixel(topDown, topDownFile, x, y);
                         return Rgba{c.r, c.g, c.b, 255};
                     }});
    return cases;
}

TEST(LogoDibFromFile, StoresEveryKindOfFileExactlyAtTheSmallestDepth)
{
    for (const Decoded& c : DecodedCases()) {
        SCOPED_TRACE(c.name);
        Bytes dib;
        DibFacts facts;
        std::string error;
        ASSERT_TRUE(saverpack::LogoDibFromFile(c.file, &dib, &facts, &error)) << error;
        EXPECT_EQ(facts.width, c.width);
        EXPECT_EQ(facts.height, c.height);
        EXPECT_EQ(facts.bitCount, c.bits);
        EXPECT_EQ(facts.alpha, c.bits == 32);

        // The layout the installer draws: 40-byte header, bottom-up, BI_RGB, a
        // full table for 8 bits or fewer, and nothing after the last row.
        size_t table = c.bits <= 8 ? 4u << c.bits : 0;
        size_t image = size_t(bmpfiles::RowBytes(c.width, c.bits)) * c.height;
        ASSERT_EQ(dib.size(), 40 + table + image);
        EXPECT_EQ(U32(dib, 0), 40u);
        EXPECT_EQ(int32_t(U32(dib, 4)), c.width);
        EXPECT_EQ(int32_t(U32(dib, 8)), c.height);
        EXPECT_EQ(bmpfiles::GetU16(dib, 12), 1u);
        EXPECT_EQ(bmpfiles::GetU16(dib, 14), c.bits);
        EXPECT_EQ(U32(dib, 16), 0u);
        EXPECT_EQ(U32(dib, 20), image);
        EXPECT_EQ(U32(dib, 32), 0u);
        DibFacts checked;
        std::string problem;
        EXPECT_TRUE(saverpack::CheckPackedDib(dib.data(), dib.size(), &checked, &problem)) << problem;

        bool anyTransparent = false, anyHalf = false;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                Rgba want = c.want(x, y);
                anyTransparent |= want[3] == 0;
                anyHalf |= want[3] != 0 && want[3] != 255;
                for (int i = 0; i < 3 && c.bits == 32; ++i)
                    want[i] = ExactPremultiplied(want[i], want[3]);
                ASSERT_EQ(StoredPixel(dib, x, y), want) << "pixel " << x << "," << y;
            }
        }
        if (c.bits == 32) {
            EXPECT_TRUE(anyTransparent && anyHalf) << "the image tests both kinds of transparency";
        }
        // An exact palette: no colour in it twice, so it is the smallest.
        for (size_t i = 0; i < table; i += 4) {
            for (size_t j = i + 4; j < table; j += 4) {
                if (memcmp(&dib[40 + i], &dib[40 + j], 4) == 0 && U32(dib, 40 + j) != 0)
                    ADD_FAILURE() << "palette entries " << i / 4 << " and " << j / 4 << " are the same colour";
            }
        }
    }
}

TEST(LogoDibFromFile, RefusesWhatItCannotDecode)
{
    PngShape small = Shape(3, 2, pngfiles::kRgb, 8, false, [](int x, int y) {
        return std::vector<uint16_t>{uint16_t(x), uint16_t(y), 7};
    });
    Bytes png = pngfiles::MakePng(small);
    Bytes tooWide = pngfiles::MakePng(Shape(saverpack::kMaxLogoSide + 1, 1, pngfiles::kGrey, 1, false,
                                            [](int, int) { return std::vector<uint16_t>{0}; }));
    bmpfiles::BmpShape rle;
    rle.compression = 1;
    struct Refusal {
        const char* name;
        Bytes file;
        const char* reason;
    };
    const Refusal cases[] = {
        {"empty", {}, "neither a .png nor a .bmp file"},
        {"jpeg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0}, "neither a .png nor a .bmp file"},
        {"png cut in its header", Bytes(png.begin(), png.begin() + 20), "the PNG file cannot be"},
        {"png without its pixels", Bytes(png.begin(), png.begin() + 33), "the PNG file cannot be"},
        {"png wider than a logo may be", tooWide, "at most 8192 on each side"},
        {"run-length bmp", bmpfiles::MakeBmp(rle).file, "the bitmap file cannot be"},
    };
    for (const Refusal& r : cases) {
        Bytes dib = {1, 2, 3};
        DibFacts facts;
        std::string error;
        EXPECT_FALSE(saverpack::LogoDibFromFile(r.file, &dib, &facts, &error)) << r.name;
        EXPECT_NE(error.find(r.reason), std::string::npos) << r.name << ": " << error;
        EXPECT_EQ(dib, Bytes({1, 2, 3})) << r.name << ": nothing written on failure";
    }
}

void SetU32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = uint8_t(v >> (8 * i));
}

TEST(CheckPackedDib, FindsBlocksTheInstallerWouldMisread)
{
    saverpack::LogoImage image;
    image.width = 5;
    image.height = 4;
    for (int i = 0; i < 20; ++i)
        image.rgba.insert(image.rgba.end(), {uint8_t(i * 16), uint8_t(i), 9, 255});
    Bytes good;
    ASSERT_EQ(saverpack::EncodeLogoDib(image, &good).bitCount, 8u);
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
        {"last row cut", good.size() - 1, SIZE_MAX, 0, "cut short"},
        {"small biSize", good.size(), 0, 12, "size field"},
        {"biSize past the block", good.size(), 0, 100000, "size field"},
        {"rle", good.size(), 16, 1, "compressed"},
        {"top-down", good.size(), 8, uint32_t(-3), "top-down"},
        {"odd depth", good.size(), 14, 7, "7 bits per pixel"},
        {"huge", good.size(), 4, 0x7FFFFFFF, "cut short"},
    };
    for (const Case& c : cases) {
        Bytes block(good.begin(), good.begin() + std::min(c.size, good.size()));
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
}

}  // namespace
