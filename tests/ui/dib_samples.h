// Packed device-independent bitmaps for the tests of the logo drawing: well-formed
// ones of every depth, and a table of malformed ones that must be refused.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

namespace uitest {

using Bytes = std::vector<uint8_t>;

struct DibShape {
    int32_t width = 7;
    int32_t height = 5;
    uint16_t bitCount = 24;
    uint32_t compression = 0;   // BI_RGB
    uint32_t headerSize = 40;   // biSize; bytes past 40 are zero
    uint32_t clrUsed = 0;
    uint32_t seed = 1;
};

// A bottom-up bitmap of that shape, with a full colour table of 2^bitCount
// entries for 8 bits or fewer and pseudo-random pixels (padding bytes zero).
Bytes MakeDib(const DibShape& shape);

// The bytes the block needs for its header, colour table and rows.
size_t DibSize(const DibShape& shape);

// The colour of pixel (x, y), y counted from the top row, as 0x00RRGGBB.
uint32_t DibPixel(const Bytes& dib, const DibShape& shape, int x, int y);

struct NamedDib {
    std::string name;
    Bytes bytes;
};

// Blocks that are not a whole uncompressed bottom-up bitmap of a depth that is
// drawn: each must draw nothing and be refused without reading past its end.
std::vector<NamedDib> MalformedDibs();

}  // namespace uitest
