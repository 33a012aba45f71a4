// The gradient of the backdrop for client heights that 256 bands do not divide:
// band k covers the rows floor(k*h/256) up to ceil((k+1)*h/256), a later band
// painting over a shared row, and carries floor(start*(256-k)/256).
#include "package/installer_state.h"
#include "ui/backdrop.h"
#include "ui/dib_canvas.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <vector>

namespace {

// The client area of that size, painted by the backdrop.
class Target : public uitest::Canvas {
public:
    Target(int width, int height) : Canvas(width, height, 0x5A5A5A) {}
    void Paint()
    {
        RECT client = {0, 0, width(), height()};
        ui::PaintBackdropArea(dc(), client);
    }
};

uint32_t BandColour(uint32_t colourref, int k)
{
    uint32_t r = colourref & 0xFF, g = (colourref >> 8) & 0xFF, b = (colourref >> 16) & 0xFF;
    return (r * (256 - k) / 256) << 16 | (g * (256 - k) / 256) << 8 | (b * (256 - k) / 256);
}

std::vector<uint32_t> ExpectedRows(uint32_t colourref, int height)
{
    std::vector<uint32_t> rows(height);
    for (int k = 0; k < 256; ++k) {
        int top = k * height / 256;
        int bottom = ((k + 1) * height + 255) / 256;
        for (int y = top; y < bottom && y < height; ++y)
            rows[y] = BandColour(colourref, k);
    }
    return rows;
}

class Backdrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearInstallerRecords();
        instheader.dwTag = package::kTagHeader;
    }
    void TearDown() override { ClearInstallerRecords(); }
};

TEST_F(Backdrop, BandsFollowTheFormulaForEveryHeight)
{
    const uint32_t colours[] = {0xFFFFFF, 0x00B45A1E, 0x00010203, 0};
    for (int height : {1, 2, 100, 255, 257, 300, 511, 768}) {
        for (uint32_t colour : colours) {
            instheader.crColour = colour;
            Target target(16, height);
            target.Paint();
            std::vector<uint32_t> rows = ExpectedRows(colour, height);
            for (int y = 0; y < height; ++y) {
                ASSERT_EQ(target.Pixel(0, y), rows[y]) << "height " << height << ", colour " << colour << ", row " << y;
                ASSERT_EQ(target.Pixel(15, y), rows[y]) << "height " << height << ", row " << y;
            }
        }
    }
}

TEST_F(Backdrop, OnePixelHighAreaEndsWithTheBlackBand)
{
    instheader.crColour = 0xFFFFFF;
    Target target(8, 1);
    target.Paint();
    EXPECT_EQ(target.Pixel(0, 0), 0u);
}

TEST_F(Backdrop, PlainBlackUntilAHeaderIsHeld)
{
    const uint32_t tags[] = {0, package::MakeTag('I', 'H', 'D', 'R'), package::kTagEnd};
    for (uint32_t tag : tags) {
        instheader.dwTag = tag;
        instheader.crColour = 0xFFFFFF;
        strcpy(instheader.szTitle, "Title");
        Target target(64, 64);
        target.Paint();
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(target.Pixel(x, y), 0u) << "tag " << tag << " at " << x << "," << y;
        }
    }
}

TEST_F(Backdrop, FullTitleWithoutTerminatorIsMeasuredWithinItsField)
{
    // A header whose checksum failed is painted as read, terminators or not. The
    // title of 262 letters fits the area and is centred in it; read on into the
    // description and beyond, it would be far wider and start left of the area.
    memset(instheader.szTitle, 'W', sizeof instheader.szTitle);
    memset(instheader.szDescription, 'W', sizeof instheader.szDescription);
    memset(&instscr, 'W', sizeof instscr);
    instheader.crColour = 0x808080;
    const int width = 24000, height = 140;
    Target target(width, height);
    target.Paint();
    std::vector<uint32_t> rows = ExpectedRows(0x808080, height);
    int left = width, right = -1;
    for (int y = 52; y < 120; ++y) {
        for (int x = 0; x < width; ++x) {
            if (target.Pixel(x, y) != rows[y]) {
                left = x < left ? x : left;
                right = x > right ? x : right;
            }
        }
    }
    ASSERT_GE(right, 0) << "no title painted";
    EXPECT_GT(left, 0);
    EXPECT_LT(right, width - 1);
    EXPECT_LT(abs((left + right) / 2 - width / 2), 40) << left << ".." << right;
}

}  // namespace
