#include "bmp_files.h"

#include "support/package_builder.h"

namespace bmpfiles {

namespace {

void Put16(Bytes& b, uint16_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

uint32_t RowBytes(int32_t width, uint16_t bitCount)
{
    return (uint32_t(width) * bitCount + 31) / 32 * 4;
}

uint32_t GetU32(const Bytes& bytes, size_t offset)
{
    return testsupport::GetU32(bytes, offset);
}

uint16_t GetU16(const Bytes& bytes, size_t offset)
{
    return uint16_t(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

BmpFile MakeBmp(const BmpShape& shape)
{
    BmpFile bmp;
    uint32_t entries = shape.clrUsed != 0 ? shape.clrUsed : shape.bitCount <= 8 ? 1u << shape.bitCount : 0;
    for (uint32_t i = 0; i < entries; ++i) {
        bmp.table.push_back(uint8_t(i * 3));       // blue
        bmp.table.push_back(uint8_t(i * 5 + 1));   // green
        bmp.table.push_back(uint8_t(255 - i));     // red
        bmp.table.push_back(0);
    }
    int32_t rows = shape.height < 0 ? -shape.height : shape.height;
    int32_t columns = shape.width < 0 ? -shape.width : shape.width;
    bmp.pixels = testsupport::RandomBytes(size_t(RowBytes(columns, shape.bitCount)) * uint32_t(rows),
                                          uint32_t(shape.width * 31 + shape.bitCount));

    Bytes header;
    Put32(header, shape.headerSize);
    Put32(header, uint32_t(shape.width));
    Put32(header, uint32_t(shape.height));
    Put16(header, shape.planes);
    Put16(header, shape.bitCount);
    Put32(header, shape.compression);
    Put32(header, 0);     // biSizeImage: may be 0 for uncompressed bitmaps
    Put32(header, 2835);  // 72 dpi
    Put32(header, 2835);
    Put32(header, shape.clrUsed);
    Put32(header, 0);
    header.resize(shape.headerSize, 0x11);  // a V4/V5 header's further fields, or a cut one

    uint32_t bitsOffset = uint32_t(14 + header.size() + bmp.table.size() + shape.gap);
    bmp.file = {'B', 'M'};
    Put32(bmp.file, uint32_t(bitsOffset + bmp.pixels.size()));
    Put32(bmp.file, 0);
    Put32(bmp.file, bitsOffset);
    bmp.file.insert(bmp.file.end(), header.begin(), header.end());
    bmp.file.insert(bmp.file.end(), bmp.table.begin(), bmp.table.end());
    bmp.file.resize(bmp.file.size() + shape.gap, 0xEE);
    bmp.file.insert(bmp.file.end(), bmp.pixels.begin(), bmp.pixels.end());
    return bmp;
}

Rgb BmpPixel(const BmpShape& shape, const BmpFile& bmp, int x, int y)
{
    int rows = shape.height < 0 ? -shape.height : shape.height;
    int stored = shape.height < 0 ? y : rows - 1 - y;
    const uint8_t* row = bmp.pixels.data() + size_t(RowBytes(shape.width, shape.bitCount)) * stored;
    if (shape.bitCount == 24)
        return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    unsigned bits = shape.bitCount;
    unsigned perByte = 8 / bits;
    unsigned index = row[x / perByte] >> (8 - bits * (1 + x % perByte)) & ((1u << bits) - 1);
    const uint8_t* entry = &bmp.table.at(4 * index);
    return {entry[2], entry[1], entry[0]};
}

}  // namespace bmpfiles
