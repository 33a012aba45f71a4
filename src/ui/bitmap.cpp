// The logo is drawn through a device-dependent copy made anew on every paint;
// nothing survives between calls. Off 96 DPI it is stretched instead, so that it
// keeps its share of the screen.
#include "ui/bitmap.h"

#include "package/scoped_handles.h"
#include "ui/dib_layout.h"
#include "ui/display_scale.h"
#include "ui/scoped_gdi.h"

#include <stdlib.h>
#include <string.h>

namespace ui {

namespace {

constexpr size_t kMaxColours = 256;

// The header and colour table exactly as checked, for the system to read instead
// of the block: neither biClrUsed nor a header longer than BITMAPINFOHEADER can
// then make it look for colours anywhere else.
struct CheckedBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[kMaxColours];
};

HPALETTE CreateTablePalette(const RGBQUAD* colours, UINT count)
{
    size_t bytes = sizeof(LOGPALETTE) + (count - 1) * sizeof(PALETTEENTRY);
    LOGPALETTE* logical = static_cast<LOGPALETTE*>(malloc(bytes));
    if (logical == nullptr)
        return nullptr;  // drawn without a palette of its own
    logical->palVersion = 0x300;
    logical->palNumEntries = WORD(count);
    for (UINT i = 0; i < count; ++i) {
        logical->palPalEntry[i].peRed = colours[i].rgbRed;
        logical->palPalEntry[i].peGreen = colours[i].rgbGreen;
        logical->palPalEntry[i].peBlue = colours[i].rgbBlue;
        logical->palPalEntry[i].peFlags = 0;
    }
    HPALETTE palette = CreatePalette(logical);
    free(logical);
    return palette;
}

// Blends a 32-bit bottom-up bitmap whose fourth byte is premultiplied alpha. The
// pixels go through a DIB section: a device-dependent copy takes the screen's
// format, which on a 24-bit screen has no alpha byte. False when anything fails,
// so the caller can still copy.
bool BlendPremultiplied(HDC dc, int x, int y, int width, int height, const BITMAPINFOHEADER& header,
                        const BYTE* bits, const DibLayout& layout)
{
    void* sectionBits = nullptr;
    ScopedBitmap section(CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                          &sectionBits, nullptr, 0));
    if (section.get() == nullptr || sectionBits == nullptr)
        return false;
    memcpy(sectionBits, bits, layout.bitsSize);
    ScopedMemoryDC memory(dc);
    if (memory.get() == nullptr)
        return false;
    ScopedSelectObject sectionInMemory(memory.get(), section.get());
    if (!sectionInMemory.selected())
        return false;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return GdiAlphaBlend(dc, x, y, width, height, memory.get(), 0, 0, layout.width, layout.height, blend) != FALSE;
}

}  // namespace

void DrawPackedDib(HDC dc, int x, int y, const void* data, size_t size, DWORD rop, bool blendAlpha, bool fromRight)
{
    DibLayout layout;
    if (!ReadDibLayout(data, size, &layout))
        return;
    const BYTE* bytes = static_cast<const BYTE*>(data);

    CheckedBitmapInfo info;
    memcpy(&info.header, bytes, sizeof info.header);
    info.header.biSize = sizeof info.header;
    info.header.biClrUsed = layout.colourCount;
    info.header.biClrImportant = 0;
    info.header.biSizeImage = layout.bitsSize;
    memcpy(info.colours, bytes + layout.headerSize, layout.colourCount * sizeof(RGBQUAD));
    const int width = Scaled(layout.width);
    const int height = Scaled(layout.height);
    if (fromRight)
        x -= width;
    if (blendAlpha && layout.bitCount == 32 &&
        BlendPremultiplied(dc, x, y, width, height, info.header, bytes + layout.bitsOffset, layout))
        return;

    // Declared in this order so that clean-up runs in the reverse one: the bitmap
    // leaves the memory DC, the DC goes, the bitmap goes, the previous palette is
    // back in dc, and only then is our palette deleted.
    ScopedPalette palette(layout.colourCount != 0 ? CreateTablePalette(info.colours, layout.colourCount) : nullptr);
    ScopedSelectPalette paletteInDc(dc, palette.get());
    if (paletteInDc.selected())
        RealizePalette(dc);

    if (width != layout.width || height != layout.height) {
        // Straight from the bits, smoothed. HALFTONE asks for the brush origin to
        // be set afterwards; nothing here paints with a pattern brush.
        const int previousMode = SetStretchBltMode(dc, HALFTONE);
        StretchDIBits(dc, x, y, width, height, 0, 0, layout.width, layout.height, bytes + layout.bitsOffset,
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, rop);
        SetStretchBltMode(dc, previousMode);
        return;
    }
    ScopedBitmap bitmap(CreateDIBitmap(dc, &info.header, CBM_INIT, bytes + layout.bitsOffset,
                                       reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS));
    if (bitmap.get() == nullptr)
        return;
    ScopedMemoryDC memory(dc);
    if (memory.get() == nullptr)
        return;
    ScopedSelectObject bitmapInMemory(memory.get(), bitmap.get());
    if (bitmapInMemory.selected())
        BitBlt(dc, x, y, layout.width, layout.height, memory.get(), 0, 0, rop);
}

}  // namespace ui

void DrawBitmap(HDC dc, int x, int y, HGLOBAL block, DWORD rop, bool blendAlpha, bool fromRight)
{
    if (block == nullptr)
        return;
    package::ScopedGlobalLock lock(block);
    if (lock.data() == nullptr)
        return;
    ui::DrawPackedDib(dc, x, y, lock.data(), GlobalSize(block), rop, blendAlpha, fromRight);
}
