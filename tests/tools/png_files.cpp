#include "png_files.h"

#include <zlib.h>

namespace pngfiles {

namespace {

void PutBe32(Bytes& b, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(uint8_t(v >> (8 * i)));
}

void PutChunk(Bytes& file, const char* type, const Bytes& data)
{
    PutBe32(file, uint32_t(data.size()));
    size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    PutBe32(file, uint32_t(crc32(0, file.data() + start, uInt(file.size() - start))));
}

// Samples of one row, packed at the shape's depth: below 8 bits the leftmost
// sample takes the highest bits, 16 bits are big-endian.
void PutRow(Bytes& out, const PngShape& shape, int y, int x0, int dx)
{
    int channels = Channels(shape.colourType);
    int depth = shape.bitDepth;
    out.push_back(0);  // filter type None
    unsigned acc = 0, bits = 0;
    for (int x = x0; x < shape.width; x += dx) {
        for (int c = 0; c < channels; ++c) {
            uint16_t v = shape.samples[(size_t(y) * shape.width + x) * channels + c];
            if (depth == 16) {
                out.push_back(uint8_t(v >> 8));
                out.push_back(uint8_t(v));
            } else {
                acc = acc << depth | v;
                bits += depth;
                if (bits == 8) {
                    out.push_back(uint8_t(acc));
                    acc = bits = 0;
                }
            }
        }
    }
    if (bits != 0)
        out.push_back(uint8_t(acc << (8 - bits)));
}

}  // namespace

int Channels(ColourType type)
{
    switch (type) {
    case kRgb: return 3;
    case kGreyAlpha: return 2;
    case kRgba: return 4;
    default: return 1;
    }
}

Bytes MakePng(const PngShape& shape)
{
    Bytes raw;
    if (shape.interlaced) {
        // Adam7: seven reduced images, each row with its own filter byte; a pass
        // without pixels has no rows at all.
        static const int kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& p : kPasses) {
            if (p[0] >= shape.width)
                continue;
            for (int y = p[1]; y < shape.height; y += p[3])
                PutRow(raw, shape, y, p[0], p[2]);
        }
    } else {
        for (int y = 0; y < shape.height; ++y)
            PutRow(raw, shape, y, 0, 1);
    }
    Bytes compressed(compressBound(uLong(raw.size())));
    uLongf size = uLongf(compressed.size());
    compress2(compressed.data(), &size, raw.data(), uLong(raw.size()), 9);
    compressed.resize(size);

    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBe32(header, uint32_t(shape.width));
    PutBe32(header, uint32_t(shape.height));
    header.insert(header.end(), {shape.bitDepth, uint8_t(shape.colourType), 0, 0, uint8_t(shape.interlaced)});
    PutChunk(file, "IHDR", header);
    if (!shape.palette.empty())
        PutChunk(file, "PLTE", shape.palette);
    if (!shape.transparency.empty())
        PutChunk(file, "tRNS", shape.transparency);
    PutChunk(file, "IDAT", compressed);
    PutChunk(file, "IEND", {});
    return file;
}

}  // namespace pngfiles
