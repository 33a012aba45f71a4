// Small .png files made on the spot, in the colour types, depths and layouts a
// logo may come in (palettes with tRNS, 16-bit samples, Adam7 interlacing), so
// the decoder is tested on files no library of ours wrote.
#pragma once

#include <stdint.h>
#include <vector>

namespace pngfiles {

using Bytes = std::vector<uint8_t>;

enum ColourType : uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

struct PngShape {
    int width = 1;
    int height = 1;
    ColourType colourType = kRgb;
    uint8_t bitDepth = 8;
    bool interlaced = false;
    std::vector<uint16_t> samples;  // width * height * channels, top row first, at bitDepth
    Bytes palette;                  // PLTE: r, g, b per entry
    Bytes transparency;             // tRNS as stored
};

int Channels(ColourType type);

// The whole file: signature, IHDR, PLTE and tRNS when given, one IDAT, IEND.
Bytes MakePng(const PngShape& shape);

}  // namespace pngfiles
