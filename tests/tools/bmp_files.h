// Small .bmp files made on the spot, in the layouts the packer meets.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <vector>

namespace bmpfiles {

using Bytes = std::vector<uint8_t>;

struct BmpShape {
    int32_t width = 5;
    int32_t height = 3;  // negative: stored top-down
    uint16_t bitCount = 8;
    uint32_t headerSize = 40;
    uint32_t compression = 0;
    uint16_t planes = 1;
    uint32_t clrUsed = 0;
    uint32_t gap = 0;  // bytes between the colour table and the pixels
};

struct BmpFile {
    Bytes file;
    Bytes table;   // the colour table as the file holds it
    Bytes pixels;  // the rows as the file holds them
};

BmpFile MakeBmp(const BmpShape& shape);

// The colour of pixel (x, y), counted from the top row, of a bitmap of 1, 4, 8 or
// 24 bits that MakeBmp made: red, green, blue.
struct Rgb {
    uint8_t r, g, b;
};
Rgb BmpPixel(const BmpShape& shape, const BmpFile& bmp, int x, int y);

uint32_t RowBytes(int32_t width, uint16_t bitCount);
uint32_t GetU32(const Bytes& bytes, size_t offset);
uint16_t GetU16(const Bytes& bytes, size_t offset);

}  // namespace bmpfiles
