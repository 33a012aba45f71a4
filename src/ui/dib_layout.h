// Where the parts of a packed device-independent bitmap lie, worked out from its
// header and checked against the size of the block that holds it. Portable, so the
// checks are tested natively and under the sanitizers as well as in the stub.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace ui {

constexpr uint32_t kDibInfoHeaderSize = 40;  // sizeof(BITMAPINFOHEADER)

struct DibLayout {
    uint32_t headerSize;   // biSize: the colour table starts here
    int32_t width;         // > 0
    int32_t height;        // > 0: rows are stored bottom-up
    uint16_t bitCount;     // 1, 4, 8, 16, 24 or 32
    uint32_t colourCount;  // 2^bitCount entries for 8 bits or fewer, whatever biClrUsed says; else 0
    uint32_t bitsOffset;   // headerSize + 4 * colourCount
    uint32_t rowBytes;     // one row of pixels, padded to a multiple of 4 bytes
    uint32_t bitsSize;     // rowBytes * height
};

// Reads the BITMAPINFOHEADER at the start of `block` (`size` bytes) and fills
// `layout`. Returns false, without reading a byte past the block, unless the block
// holds an uncompressed (BI_RGB) bottom-up bitmap of a depth the stub draws, with
// its header, its whole colour table and all its rows.
bool ReadDibLayout(const void* block, size_t size, DibLayout* layout);

}  // namespace ui
