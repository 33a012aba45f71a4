// DrawBitmap against the real GDI (under Wine): every depth drawn pixel for pixel,
// and every malformed block refused without drawing and without a read past its
// end, which a no-access page right behind the block turns into a crash.
#include "ui/bitmap.h"
#include "ui/dib_canvas.h"
#include "ui/dib_samples.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

using uitest::Bytes;
using uitest::DibShape;

using uitest::Canvas;

// A movable global block of exactly the bytes given, as the package reader makes.
class GlobalBlock {
public:
    explicit GlobalBlock(const Bytes& bytes) : block_(GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1))
    {
        void* p = GlobalLock(block_);
        if (!bytes.empty())
            memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(block_);
    }
    ~GlobalBlock() { GlobalFree(block_); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return block_; }

private:
    HGLOBAL block_;
};

// The bytes placed so that they end exactly where a no-access page begins.
class GuardedBytes {
public:
    explicit GuardedBytes(const Bytes& bytes)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        size_t page = info.dwPageSize;
        size_t readable = (bytes.size() + page - 1) / page * page + page;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, readable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + readable, page, PAGE_NOACCESS, &old);
        data_ = base_ + readable - bytes.size();
        if (!bytes.empty())
            memcpy(data_, bytes.data(), bytes.size());
        size_ = bytes.size();
    }
    ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const void* data() const { return data_; }
    size_t size() const { return size_; }

private:
    uint8_t* base_;
    uint8_t* data_;
    size_t size_;
};

void ExpectDrawnAt(const Canvas& canvas, const Bytes& dib, const DibShape& shape, int left, int top)
{
    for (int y = 0; y < shape.height; ++y) {
        for (int x = 0; x < shape.width; ++x) {
            ASSERT_EQ(canvas.Pixel(left + x, top + y), uitest::DibPixel(dib, shape, x, y))
                << shape.bitCount << " bits, pixel " << x << "," << y;
        }
    }
    // Drawn at its own size: nothing around it changed.
    EXPECT_EQ(canvas.CountChanged(), shape.width * shape.height);
}

TEST(DrawBitmap, DrawsEveryDepthPixelForPixel)
{
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        DibShape shape;
        shape.bitCount = bits;
        shape.width = 13;
        shape.height = 7;
        shape.seed = bits;
        Bytes dib = uitest::MakeDib(shape);
        Canvas canvas(40, 30);
        GlobalBlock block(dib);
        DrawBitmap(canvas.dc(), 5, 4, block.get(), SRCCOPY);
        ExpectDrawnAt(canvas, dib, shape, 5, 4);
    }
}

TEST(DrawBitmap, UsesTheWholeColourTableWhateverClrUsedSays)
{
    // The table always has 2^bits entries; a smaller biClrUsed must not make the
    // system look for the pixels or the colours elsewhere.
    for (uint16_t bits : {4, 8}) {
        DibShape shape;
        shape.bitCount = bits;
        shape.width = 16;
        shape.height = 16;
        shape.clrUsed = 2;
        shape.seed = 77 + bits;
        Bytes dib = uitest::MakeDib(shape);
        Canvas canvas(20, 20);
        GlobalBlock block(dib);
        DrawBitmap(canvas.dc(), 0, 0, block.get(), SRCCOPY);
        ExpectDrawnAt(canvas, dib, shape, 0, 0);
    }
}

TEST(DrawBitmap, FindsTheTableAfterALongerHeader)
{
    DibShape shape;
    shape.bitCount = 8;
    shape.headerSize = 108;  // a BITMAPV4HEADER
    Bytes dib = uitest::MakeDib(shape);
    Canvas canvas(20, 20);
    GlobalBlock block(dib);
    DrawBitmap(canvas.dc(), 2, 3, block.get(), SRCCOPY);
    ExpectDrawnAt(canvas, dib, shape, 2, 3);
}

TEST(DrawBitmap, BlackAndWhiteIsNotTintedByTheDcColours)
{
    // The backdrop leaves its description colour on the DC; a monochrome logo must
    // still come out black and white.
    DibShape shape;
    shape.bitCount = 1;
    shape.width = 20;
    shape.height = 6;
    Bytes dib = uitest::MakeDib(shape);
    const uint8_t blackWhite[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    memcpy(&dib[40], blackWhite, sizeof blackWhite);
    Canvas canvas(30, 10);
    SetTextColor(canvas.dc(), RGB(200, 10, 10));
    SetBkColor(canvas.dc(), RGB(10, 200, 10));
    GlobalBlock block(dib);
    DrawBitmap(canvas.dc(), 0, 0, block.get(), SRCCOPY);
    ExpectDrawnAt(canvas, dib, shape, 0, 0);
}

TEST(DrawBitmap, PutsThePreviousPaletteBack)
{
    Canvas canvas(20, 20);
    struct {
        LOGPALETTE head;
        PALETTEENTRY more[1];
    } logical = {{0x300, 2, {{1, 2, 3, 0}}}, {{4, 5, 6, 0}}};
    HPALETTE mine = CreatePalette(&logical.head);
    HPALETTE original = SelectPalette(canvas.dc(), mine, FALSE);
    for (uint16_t bits : {1, 8, 24}) {
        DibShape shape;
        shape.bitCount = bits;
        GlobalBlock block(uitest::MakeDib(shape));
        DrawBitmap(canvas.dc(), 0, 0, block.get(), SRCCOPY);
        EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_PAL), mine) << bits << " bits";
    }
    SelectPalette(canvas.dc(), original, FALSE);
    DeleteObject(mine);
}

TEST(DrawBitmap, RefusesEveryMalformedBlockWithoutReadingPastIt)
{
    for (const uitest::NamedDib& dib : uitest::MalformedDibs()) {
        Canvas canvas(20, 20);
        GuardedBytes guarded(dib.bytes);
        ui::DrawPackedDib(canvas.dc(), 0, 0, guarded.data(), guarded.size(), SRCCOPY);
        EXPECT_EQ(canvas.CountChanged(), 0) << dib.name;

        GlobalBlock block(dib.bytes);
        DrawBitmap(canvas.dc(), 0, 0, block.get(), SRCCOPY);
        EXPECT_EQ(canvas.CountChanged(), 0) << dib.name << " (global block)";
    }
}

TEST(DrawBitmap, DrawsNothingForAMissingOrDiscardedBlock)
{
    Canvas canvas(20, 20);
    DrawBitmap(canvas.dc(), 0, 0, nullptr, SRCCOPY);
    EXPECT_EQ(canvas.CountChanged(), 0);

    DibShape shape;
    Bytes dib = uitest::MakeDib(shape);
    HGLOBAL discardable = GlobalAlloc(GMEM_MOVEABLE | GMEM_DISCARDABLE, dib.size());
    ASSERT_NE(discardable, nullptr);
    HGLOBAL discarded = GlobalDiscard(discardable);
    ASSERT_NE(discarded, nullptr);
    DrawBitmap(canvas.dc(), 0, 0, discarded, SRCCOPY);
    EXPECT_EQ(canvas.CountChanged(), 0);
    GlobalFree(discarded);
}

}  // namespace
