#include "bmp_logo.h"

#include <string.h>

namespace saverpack {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2's BITMAPCOREHEADER

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(value >> (8 * i));
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
        *problem = std::string("the bitmap is compressed (") + CompressionName(h.compression) +
                   "); save it uncompressed";
        return false;
    }
    if (h.height < 0) {
        *problem = "the bitmap is stored top-down (negative height); save it bottom-up";
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

bool PackedDibFromBmp(const std::vector<uint8_t>& file, std::vector<uint8_t>* dib, DibFacts* facts,
                      std::string* error)
{
    const uint8_t* p = file.data();
    if (file.size() < kFileHeaderSize + 4 || p[0] != 'B' || p[1] != 'M') {
        *error = "not a .bmp file (no \"BM\" file header)";
        return false;
    }
    uint32_t bitsOffset = U32(p + 10);
    uint32_t headerSize = U32(p + kFileHeaderSize);
    if (headerSize == kCoreHeaderSize) {
        *error = "the bitmap has an OS/2 header; save it as a Windows bitmap";
        return false;
    }
    if (headerSize < kBitmapInfoHeaderSize || headerSize > file.size() - kFileHeaderSize) {
        *error = "the bitmap header is damaged (its size field says " + std::to_string(headerSize) + " bytes)";
        return false;
    }
    InfoHeader h(p + kFileHeaderSize);
    if (h.planes != 1) {
        *error = "the bitmap has " + std::to_string(h.planes) + " planes; only 1 is possible";
        return false;
    }
    if (!CheckDrawable(h, error))
        return false;
    if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24) {
        *error = "the bitmap has " + std::to_string(h.bitCount) + " bits per pixel; use 1, 4, 8 or 24";
        return false;
    }

    uint32_t tableEntries = 0;  // entries the installer expects
    uint32_t fileEntries = 0;   // entries the file holds
    if (h.bitCount <= 8) {
        tableEntries = 1u << h.bitCount;
        fileEntries = h.clrUsed == 0 ? tableEntries : h.clrUsed;
        if (fileEntries > tableEntries) {
            *error = "the colour table claims " + std::to_string(fileEntries) + " entries; " +
                     std::to_string(h.bitCount) + " bits per pixel allow " + std::to_string(tableEntries);
            return false;
        }
    }
    uint64_t tableEnd = kFileHeaderSize + uint64_t(headerSize) + 4ull * fileEntries;
    if (tableEnd > file.size()) {
        *error = TooShort("the colour table", tableEnd, file.size());
        return false;
    }
    if (bitsOffset < tableEnd) {
        *error = "the pixel data offset " + std::to_string(bitsOffset) + " points into the header or colour table";
        return false;
    }
    uint64_t row = RowBytes(h.width, h.bitCount);
    uint64_t available = file.size() - uint64_t(bitsOffset < file.size() ? bitsOffset : file.size());
    // Compared by division so that no product of two file values can overflow.
    if (uint64_t(h.height) > available / row) {
        *error = TooShort("the pixel data", uint64_t(bitsOffset) + row * uint64_t(h.height), file.size());
        return false;
    }
    uint64_t imageSize = row * uint64_t(h.height);

    dib->assign(kBitmapInfoHeaderSize + 4ull * tableEntries + imageSize, 0);
    uint8_t* out = dib->data();
    memcpy(out, p + kFileHeaderSize, kBitmapInfoHeaderSize);
    PutU32(out, kBitmapInfoHeaderSize);               // biSize: the table follows directly
    PutU32(out + 20, uint32_t(imageSize));            // biSizeImage
    PutU32(out + 32, 0);                              // biClrUsed: the full table
    PutU32(out + 36, 0);                              // biClrImportant: all of it
    // Entries the file leaves out stay zero (black); pixels never refer to them.
    memcpy(out + kBitmapInfoHeaderSize, p + kFileHeaderSize + headerSize, 4ull * fileEntries);
    memcpy(out + kBitmapInfoHeaderSize + 4ull * tableEntries, p + bitsOffset, size_t(imageSize));

    facts->width = h.width;
    facts->height = h.height;
    facts->bitCount = h.bitCount;
    return true;
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
