#include "images/packed_dib.h"

namespace saverpack {

namespace {

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

const char* CompressionName(uint32_t compression)
{
    switch (compression) {
    case 1: return "BI_RLE8";
    case 2: return "BI_RLE4";
    case 3: return "BI_BITFIELDS";
    case 4: return "BI_JPEG";
    case 5: return "BI_PNG";
    case 6: return "BI_ALPHABITFIELDS";
    default: return "an unknown method";
    }
}

// The fields of a BITMAPINFOHEADER the layout depends on, at `p` (40 bytes).
struct InfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t clrUsed;

    explicit InfoHeader(const uint8_t* p)
        : size(U32(p)), width(int32_t(U32(p + 4))), height(int32_t(U32(p + 8))), planes(U16(p + 12)),
          bitCount(U16(p + 14)), compression(U32(p + 16)), clrUsed(U32(p + 32))
    {
    }
};

// Bytes in one row of pixels: rows are padded to whole 32-bit words.
uint64_t RowBytes(int32_t width, uint16_t bitCount)
{
    return (uint64_t(uint32_t(width)) * bitCount + 31) / 32 * 4;
}

// Problems common to files and packed bitmaps: what the installer cannot draw.
bool CheckDrawable(const InfoHeader& h, std::string* problem)
{
    if (h.compression != 0) {
        *problem = std::string("the bitmap is compressed (") + CompressionName(h.compression) + ")";
        return false;
    }
    if (h.height < 0) {
        *problem = "the bitmap is stored top-down (negative height)";
        return false;
    }
    if (h.width <= 0 || h.height == 0) {
        *problem = "the bitmap has no pixels (" + std::to_string(h.width) + " x " + std::to_string(h.height) + ")";
        return false;
    }
    return true;
}

std::string TooShort(const char* what, uint64_t needed, uint64_t have)
{
    return std::string(what) + " is cut short: it needs " + std::to_string(needed) + " bytes, there are " +
           std::to_string(have);
}

}  // namespace

std::string DescribeDib(const DibFacts& facts)
{
    return std::to_string(facts.width) + " x " + std::to_string(facts.height) + ", " +
           std::to_string(facts.bitCount) + " bits per pixel, " + (facts.alpha ? "alpha" : "no alpha");
}

bool CheckPackedDib(const uint8_t* data, size_t size, DibFacts* facts, std::string* problem)
{
    if (size < kBitmapInfoHeaderSize) {
        *problem = TooShort("the bitmap header", kBitmapInfoHeaderSize, size);
        return false;
    }
    InfoHeader h(data);
    facts->width = h.width;
    facts->height = h.height;
    facts->bitCount = h.bitCount;
    if (h.size < kBitmapInfoHeaderSize || h.size > size) {
        *problem = "the bitmap header's size field says " + std::to_string(h.size) + " bytes";
        return false;
    }
    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 &&
        h.bitCount != 32) {
        *problem = "the bitmap has " + std::to_string(h.bitCount) + " bits per pixel";
        return false;
    }
    if (!CheckDrawable(h, problem))
        return false;
    uint64_t prefix = uint64_t(h.size) + (h.bitCount <= 8 ? 4ull << h.bitCount : 0);
    uint64_t row = RowBytes(h.width, h.bitCount);
    if (prefix > size || uint64_t(h.height) > (size - prefix) / row) {
        *problem = "the bitmap is cut short: " + std::to_string(h.height) + " rows of " + std::to_string(row) +
                   " bytes after " + std::to_string(prefix) + " bytes of header and colour table do not fit in " +
                   std::to_string(size) + " bytes";
        return false;
    }
    return true;
}

}  // namespace saverpack
