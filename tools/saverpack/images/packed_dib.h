// The packed bitmap a package carries as its logo (Windows' BITMAPINFOHEADER, a
// colour table of exactly 2^bits entries for 8 bits or fewer, then the rows
// bottom-up), and the check that a packed bitmap read back from a package is one
// the installer can draw.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string>

namespace saverpack {

constexpr uint32_t kBitmapInfoHeaderSize = 40;

struct DibFacts {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;
    bool alpha = false;  // 32 bits of premultiplied alpha, blended by the installer
};

// Reads the size and depth of a packed bitmap and checks that the installer can
// draw it: the header, the colour table it assumes and all rows lie inside the
// block, uncompressed and bottom-up. False with the first problem in *problem;
// *facts is filled as far as the header could be read (alpha is left false: it
// is the logo record that says so, not the bitmap).
bool CheckPackedDib(const uint8_t* data, size_t size, DibFacts* facts, std::string* problem);

// "W x H, N bits per pixel, alpha" (or "no alpha"), as build and inspect print it.
std::string DescribeDib(const DibFacts& facts);

}  // namespace saverpack
