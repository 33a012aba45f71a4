// A logo file (PNG of any colour type, depth and interlacing, or BMP) decoded
// into plain 8-bit RGBA pixels, whatever it held before.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

// Larger logos are refused: the installer draws the logo 1:1 in the corner of
// one screen, and a bitmap this size already takes 256 MiB as 32-bit pixels.
constexpr int kMaxLogoSide = 8192;

struct LogoImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width * height pixels, top row first, R G B A each

    const uint8_t* Pixel(int x, int y) const { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
};

// Decodes the bytes of a .png or .bmp file. False with the reason in *error for
// anything else, a damaged file or one larger than kMaxLogoSide either way.
bool DecodeLogoImage(const std::vector<uint8_t>& file, LogoImage* image, std::string* error);

}  // namespace saverpack
