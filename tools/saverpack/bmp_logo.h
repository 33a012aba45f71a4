// Logos: a .bmp file becomes the packed bitmap the installer draws as it stands
// (Windows' BITMAPINFOHEADER, a colour table of exactly 2^bits entries for 8 bits
// or fewer, then the rows bottom-up), and a packed bitmap read back from a
// package is checked against that layout.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

constexpr uint32_t kBitmapInfoHeaderSize = 40;

struct DibFacts {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
};

// Converts the bytes of a .bmp file. Accepts uncompressed (BI_RGB), bottom-up
// bitmaps of 1, 4, 8 or 24 bits with a Windows header of 40 bytes or more; the
// result always has a 40-byte header, a full colour table and no gaps. Anything
// else is refused with a reason in *error.
bool PackedDibFromBmp(const std::vector<uint8_t>& file, std::vector<uint8_t>* dib, DibFacts* facts,
                      std::string* error);

// Reads the size and depth of a packed bitmap and checks that the installer can
// draw it: the header, the colour table it assumes and all rows lie inside the
// block, uncompressed and bottom-up. False with the first problem in *problem;
// *facts is filled as far as the header could be read.
bool CheckPackedDib(const uint8_t* data, size_t size, DibFacts* facts, std::string* problem);

}  // namespace saverpack
