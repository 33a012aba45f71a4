#include "ui/dib_samples.h"

namespace uitest {

namespace {

void PutU32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

void PutU16(Bytes& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

size_t ColourCount(const DibShape& shape)
{
    return shape.bitCount <= 8 ? size_t(1) << shape.bitCount : 0;
}

size_t RowBytes(const DibShape& shape)
{
    return (size_t(shape.width) * shape.bitCount + 31) / 32 * 4;
}

uint32_t NextRandom(uint32_t& state)
{
    state = state * 1103515245u + 12345u;
    return state >> 8;
}

}  // namespace

size_t DibSize(const DibShape& shape)
{
    return shape.headerSize + 4 * ColourCount(shape) + RowBytes(shape) * size_t(shape.height);
}

Bytes MakeDib(const DibShape& shape)
{
    Bytes dib(DibSize(shape), 0);
    PutU32(dib, 0, shape.headerSize);
    PutU32(dib, 4, uint32_t(shape.width));
    PutU32(dib, 8, uint32_t(shape.height));
    PutU16(dib, 12, 1);
    PutU16(dib, 14, shape.bitCount);
    PutU32(dib, 16, shape.compression);
    PutU32(dib, 32, shape.clrUsed);

    uint32_t state = shape.seed;
    size_t at = shape.headerSize;
    for (size_t i = 0; i < ColourCount(shape); ++i, at += 4) {
        uint32_t rgb = NextRandom(state);
        dib[at] = uint8_t(rgb);            // blue
        dib[at + 1] = uint8_t(rgb >> 8);   // green
        dib[at + 2] = uint8_t(rgb >> 16);  // red
    }
    size_t rowBytes = RowBytes(shape);
    size_t usedBits = size_t(shape.width) * shape.bitCount;
    for (int32_t row = 0; row < shape.height; ++row) {
        uint8_t* p = &dib[at + size_t(row) * rowBytes];
        for (size_t byte = 0; byte < (usedBits + 7) / 8; ++byte)
            p[byte] = uint8_t(NextRandom(state));
        if (usedBits % 8 != 0)  // keep the bits past the last pixel clear
            p[usedBits / 8] &= uint8_t(0xFF00 >> (usedBits % 8));
        if (shape.bitCount == 16) {  // 5-5-5: the top bit of each pixel is unused
            for (size_t byte = 1; byte < usedBits / 8; byte += 2)
                p[byte] &= 0x7F;
        }
    }
    return dib;
}

uint32_t DibPixel(const Bytes& dib, const DibShape& shape, int x, int y)
{
    size_t bits = shape.headerSize + 4 * ColourCount(shape);
    const uint8_t* row = &dib[bits + RowBytes(shape) * size_t(shape.height - 1 - y)];
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; };
    if (shape.bitCount <= 8) {
        size_t bit = size_t(x) * shape.bitCount;
        uint32_t index = (row[bit / 8] >> (8 - shape.bitCount - bit % 8)) & ((1u << shape.bitCount) - 1);
        const uint8_t* entry = &dib[shape.headerSize + 4 * index];
        return rgb(entry[2], entry[1], entry[0]);
    }
    if (shape.bitCount == 16) {
        uint32_t v = row[2 * x] | row[2 * x + 1] << 8;
        auto expand = [](uint32_t five) { return five << 3 | five >> 2; };
        return rgb(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
    }
    const uint8_t* p = row + size_t(x) * (shape.bitCount / 8);
    return rgb(p[2], p[1], p[0]);
}

std::vector<NamedDib> MalformedDibs()
{
    std::vector<NamedDib> cases;
    auto with = [&](const std::string& name, DibShape shape) { cases.push_back({name, MakeDib(shape)}); };
    auto patched = [&](const std::string& name, DibShape shape, size_t at, uint32_t value) {
        Bytes dib = MakeDib(shape);
        PutU32(dib, at, value);
        cases.push_back({name, dib});
    };
    auto cut = [&](const std::string& name, DibShape shape, size_t size) {
        Bytes dib = MakeDib(shape);
        dib.resize(size);
        cases.push_back({name, dib});
    };

    cases.push_back({"empty block", Bytes()});
    cut("block shorter than a header", DibShape{}, 39);
    patched("header size 0", DibShape{}, 0, 0);
    patched("core header size 12", DibShape{}, 0, 12);
    patched("header size 39", DibShape{}, 0, 39);
    patched("header larger than the block", DibShape{}, 0, uint32_t(DibSize(DibShape{}) + 1));
    patched("header size near 2^32", DibShape{}, 0, 0xFFFFFFF0u);

    DibShape shape;
    shape.width = 0;
    with("width 0", shape);
    patched("width -1", DibShape{}, 4, uint32_t(-1));
    patched("width -2^31", DibShape{}, 4, 0x80000000u);
    shape = DibShape{};
    shape.height = 0;
    with("height 0", shape);
    patched("top-down height -5", DibShape{}, 8, uint32_t(-5));

    for (uint16_t bits : {0, 2, 3, 7, 9, 12, 15, 31, 33, 48, 64}) {
        Bytes dib = MakeDib(DibShape{});
        PutU16(dib, 14, bits);
        cases.push_back({"bit count " + std::to_string(bits), dib});
    }
    const struct {
        const char* name;
        uint16_t bits;
        uint32_t compression;
    } compressed[] = {{"BI_RLE8", 8, 1}, {"BI_RLE4", 4, 2}, {"BI_BITFIELDS 16", 16, 3}, {"BI_BITFIELDS 32", 32, 3},
                      {"BI_JPEG", 24, 4}, {"BI_PNG", 24, 5}};
    for (const auto& c : compressed) {
        shape = DibShape{};
        shape.bitCount = c.bits;
        shape.compression = c.compression;
        with(c.name, shape);
    }

    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        shape = DibShape{};
        shape.bitCount = bits;
        std::string depth = std::to_string(bits) + "-bit ";
        cut(depth + "block one byte short of its rows", shape, DibSize(shape) - 1);
        cut(depth + "block ending inside the first row", shape, DibSize(shape) - (DibSize(shape) - 40) / 2);
        if (bits <= 8)
            cut(depth + "block ending inside the colour table", shape, 40 + 2 * (size_t(1) << bits));
    }
    shape = DibShape{};
    shape.headerSize = 108;
    cut("long header, one byte short", shape, DibSize(shape) - 1);

    // Sizes whose products overflow 32 bits must not wrap into a small size.
    patched("width 2^31-1 at 24 bits", DibShape{}, 4, 0x7FFFFFFFu);
    shape = DibShape{};
    shape.bitCount = 32;
    Bytes big = MakeDib(shape);
    PutU32(big, 4, 65536);
    PutU32(big, 8, 65536);
    cases.push_back({"65536 x 65536 at 32 bits", big});
    return cases;
}

}  // namespace uitest
