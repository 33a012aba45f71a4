// Turns a decoded logo into the packed bitmap the installer stores, in the
// smallest form that shows it exactly:
//   - any pixel not fully opaque: 32 bits, BI_RGB, premultiplied alpha in the
//     fourth byte (the installer blends it; the logo record must say so);
//   - opaque with at most 256 colours: 1, 4 or 8 bits and an exact palette;
//   - otherwise 24 bits.
#pragma once

#include "images/logo_image.h"
#include "images/packed_dib.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace saverpack {

// Writes the packed DIB for `image` (at least 1 x 1) into *dib: a 40-byte header,
// 2^bits palette entries for 8 bits or fewer (unused ones black), rows bottom-up.
DibFacts EncodeLogoDib(const LogoImage& image, std::vector<uint8_t>* dib);

// The whole way from the bytes of a .png or .bmp file to the stored bitmap.
bool LogoDibFromFile(const std::vector<uint8_t>& file, std::vector<uint8_t>* dib, DibFacts* facts,
                     std::string* error);

}  // namespace saverpack
