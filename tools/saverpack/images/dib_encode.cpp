#include "images/dib_encode.h"

#include <unordered_map>

namespace saverpack {

namespace {

constexpr size_t kMaxPaletteColours = 256;

void PutU16(uint8_t* p, uint16_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

void PutU32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(value >> (8 * i));
}

uint32_t RgbKey(const uint8_t* rgba)
{
    return uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
}

bool HasTransparency(const LogoImage& image)
{
    for (size_t i = 3; i < image.rgba.size(); i += 4)
        if (image.rgba[i] != 255)
            return true;
    return false;
}

// The distinct colours in order of first appearance, top row first; false as
// soon as there are more than a palette holds.
bool CollectPalette(const LogoImage& image, std::vector<uint32_t>* colours,
                    std::unordered_map<uint32_t, uint8_t>* index)
{
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        uint32_t key = RgbKey(&image.rgba[i]);
        if (index->count(key) != 0)
            continue;
        if (colours->size() == kMaxPaletteColours)
            return false;
        index->emplace(key, uint8_t(colours->size()));
        colours->push_back(key);
    }
    return true;
}

uint16_t PaletteDepth(size_t colours)
{
    // Windows has no 2-bit DIBs, so 3 or 4 colours take 4 bits.
    return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
}

// Premultiplied, as GdiAlphaBlend's AC_SRC_ALPHA wants it; rounded to nearest.
uint8_t Premultiply(uint8_t channel, uint8_t alpha)
{
    return uint8_t((unsigned(channel) * alpha + 127) / 255);
}

}  // namespace

DibFacts EncodeLogoDib(const LogoImage& image, std::vector<uint8_t>* dib)
{
    DibFacts facts;
    facts.width = image.width;
    facts.height = image.height;
    facts.alpha = HasTransparency(image);

    std::vector<uint32_t> colours;
    std::unordered_map<uint32_t, uint8_t> index;
    if (facts.alpha)
        facts.bitCount = 32;
    else if (CollectPalette(image, &colours, &index))
        facts.bitCount = PaletteDepth(colours.size());
    else
        facts.bitCount = 24;
    if (facts.bitCount > 8)
        colours.clear();  // a partial count, not a palette

    uint32_t entries = facts.bitCount <= 8 ? 1u << facts.bitCount : 0;
    size_t rowBytes = (size_t(image.width) * facts.bitCount + 31) / 32 * 4;
    size_t bitsOffset = kBitmapInfoHeaderSize + 4 * entries;
    dib->assign(bitsOffset + rowBytes * size_t(image.height), 0);
    uint8_t* out = dib->data();
    PutU32(out, kBitmapInfoHeaderSize);
    PutU32(out + 4, uint32_t(image.width));
    PutU32(out + 8, uint32_t(image.height));  // positive: bottom-up
    PutU16(out + 12, 1);
    PutU16(out + 14, facts.bitCount);
    PutU32(out + 20, uint32_t(rowBytes * size_t(image.height)));  // biSizeImage; BI_RGB and the rest stay 0
    for (size_t i = 0; i < colours.size(); ++i) {
        uint8_t* entry = out + kBitmapInfoHeaderSize + 4 * i;  // blue, green, red, reserved
        entry[0] = uint8_t(colours[i]);
        entry[1] = uint8_t(colours[i] >> 8);
        entry[2] = uint8_t(colours[i] >> 16);
    }

    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = out + bitsOffset + rowBytes * size_t(image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.Pixel(x, y);
            switch (facts.bitCount) {
            case 32:
                row[4 * x] = Premultiply(p[2], p[3]);
                row[4 * x + 1] = Premultiply(p[1], p[3]);
                row[4 * x + 2] = Premultiply(p[0], p[3]);
                row[4 * x + 3] = p[3];
                break;
            case 24:
                row[3 * x] = p[2];
                row[3 * x + 1] = p[1];
                row[3 * x + 2] = p[0];
                break;
            default: {
                // The leftmost pixel sits in the highest bits of its byte.
                unsigned bits = facts.bitCount;
                unsigned perByte = 8 / bits;
                unsigned shift = 8 - bits * (1 + unsigned(x) % perByte);
                row[unsigned(x) / perByte] |= uint8_t(index[RgbKey(p)] << shift);
            }
            }
        }
    }
    return facts;
}

bool LogoDibFromFile(const std::vector<uint8_t>& file, std::vector<uint8_t>* dib, DibFacts* facts,
                     std::string* error)
{
    LogoImage image;
    if (!DecodeLogoImage(file, &image, error))
        return false;
    *facts = EncodeLogoDib(image, dib);
    return true;
}

}  // namespace saverpack
