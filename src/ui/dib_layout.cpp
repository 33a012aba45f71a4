#include "ui/dib_layout.h"

namespace ui {

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

bool IsDrawnDepth(uint16_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

constexpr uint32_t kCompressionRgb = 0;  // BI_RGB

}  // namespace

bool ReadDibLayout(const void* block, size_t size, DibLayout* layout)
{
    if (block == nullptr || size < kDibInfoHeaderSize)
        return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    uint32_t headerSize = ReadU32(bytes);
    int32_t width = int32_t(ReadU32(bytes + 4));
    int32_t height = int32_t(ReadU32(bytes + 8));
    uint16_t bitCount = ReadU16(bytes + 14);
    uint32_t compression = ReadU32(bytes + 16);

    if (headerSize < kDibInfoHeaderSize || headerSize > size)
        return false;
    // A negative height would be a top-down bitmap, which the blit does not expect.
    if (width <= 0 || height <= 0)
        return false;
    if (!IsDrawnDepth(bitCount) || compression != kCompressionRgb)
        return false;

    // In 64 bits none of these can wrap: width and height are below 2^31.
    uint64_t colourCount = bitCount <= 8 ? uint64_t(1) << bitCount : 0;
    uint64_t rowBytes = (uint64_t(width) * bitCount + 31) / 32 * 4;
    uint64_t bitsOffset = uint64_t(headerSize) + 4 * colourCount;
    uint64_t bitsSize = rowBytes * uint64_t(height);
    if (bitsOffset > size || bitsSize > size - bitsOffset)
        return false;
    if (bitsOffset + bitsSize > UINT32_MAX)
        return false;  // only reachable on a 64-bit host; the stub's blocks are smaller

    layout->headerSize = headerSize;
    layout->width = width;
    layout->height = height;
    layout->bitCount = bitCount;
    layout->colourCount = uint32_t(colourCount);
    layout->bitsOffset = uint32_t(bitsOffset);
    layout->rowBytes = uint32_t(rowBytes);
    layout->bitsSize = uint32_t(bitsSize);
    return true;
}

}  // namespace ui
