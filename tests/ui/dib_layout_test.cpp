// The checks that stand between a logo block from the package and the system's
// bitmap calls. Each block sits in a buffer of exactly its size, so that under the
// sanitizers a read past its end is caught.
#include "ui/dib_layout.h"
#include "ui/dib_samples.h"

#include <gtest/gtest.h>

#include <memory>
#include <string.h>

namespace {

using uitest::Bytes;
using uitest::DibShape;

bool Layout(const Bytes& bytes, ui::DibLayout* layout)
{
    // A fresh allocation of exactly the block's size: nothing valid lies beyond it.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty())
        memcpy(exact.get(), bytes.data(), bytes.size());
    return ui::ReadDibLayout(exact.get(), bytes.size(), layout);
}

TEST(DibLayout, RefusesEveryMalformedBlock)
{
    for (const uitest::NamedDib& dib : uitest::MalformedDibs()) {
        ui::DibLayout layout;
        EXPECT_FALSE(Layout(dib.bytes, &layout)) << dib.name;
    }
}

TEST(DibLayout, RefusesANullBlock)
{
    ui::DibLayout layout;
    EXPECT_FALSE(ui::ReadDibLayout(nullptr, 100, &layout));
}

struct Expected {
    uint16_t bitCount;
    int32_t width;
    uint32_t colourCount;
    uint32_t rowBytes;
};

TEST(DibLayout, FindsTableAndRowsOfEveryDepth)
{
    // Rows are padded to four bytes: 33 pixels of 1 bit need 5 bytes, so 8.
    const Expected cases[] = {{1, 33, 2, 8},   {4, 9, 16, 8},   {8, 5, 256, 8},  {16, 3, 0, 8},
                              {24, 3, 0, 12},  {32, 3, 0, 12},  {24, 4, 0, 12},  {1, 32, 2, 4}};
    for (const Expected& e : cases) {
        DibShape shape;
        shape.bitCount = e.bitCount;
        shape.width = e.width;
        shape.height = 3;
        ui::DibLayout layout;
        ASSERT_TRUE(Layout(uitest::MakeDib(shape), &layout)) << e.bitCount << " bits";
        EXPECT_EQ(layout.headerSize, 40u);
        EXPECT_EQ(layout.colourCount, e.colourCount);
        EXPECT_EQ(layout.bitsOffset, 40u + 4 * e.colourCount);
        EXPECT_EQ(layout.rowBytes, e.rowBytes) << e.bitCount << " bits, width " << e.width;
        EXPECT_EQ(layout.bitsSize, 3 * e.rowBytes);
        EXPECT_EQ(layout.width, e.width);
        EXPECT_EQ(layout.height, 3);
    }
}

TEST(DibLayout, ColourTableFollowsALongerHeaderAndIgnoresClrUsed)
{
    DibShape shape;
    shape.bitCount = 8;
    shape.headerSize = 124;  // a BITMAPV5HEADER
    shape.clrUsed = 16;      // the table still has 256 entries
    ui::DibLayout layout;
    ASSERT_TRUE(Layout(uitest::MakeDib(shape), &layout));
    EXPECT_EQ(layout.headerSize, 124u);
    EXPECT_EQ(layout.colourCount, 256u);
    EXPECT_EQ(layout.bitsOffset, 124u + 1024u);
}

TEST(DibLayout, TakesTheExactSizeAndTrailingBytes)
{
    for (uint16_t bits : {1, 4, 8, 16, 24, 32}) {
        DibShape shape;
        shape.bitCount = bits;
        Bytes dib = uitest::MakeDib(shape);
        ui::DibLayout layout;
        EXPECT_TRUE(Layout(dib, &layout)) << bits;
        dib.resize(dib.size() + 100);  // global blocks may be larger than asked for
        EXPECT_TRUE(Layout(dib, &layout)) << bits;
        dib.resize(uitest::DibSize(shape) - 1);
        EXPECT_FALSE(Layout(dib, &layout)) << bits;
    }
}

}  // namespace
