// Everything is created and deleted within one paint: 256 brushes and two fonts.
// The window class redraws on every size change, and nothing is cached. Lengths
// are for a 96-DPI display and scaled to this one; the gradient is proportional
// to the window already.
#include "ui/backdrop.h"

#include "actions/wide_text.h"
#include "package/installer_state.h"
#include "package/languages.h"
#include "ui/bitmap.h"
#include "ui/display_scale.h"
#include "ui/scoped_gdi.h"

#include <math.h>

namespace {

constexpr int kBands = 256;
constexpr int kTitleHeight = 52;
constexpr int kTitleTop = 52;
constexpr int kDescriptionHeight = 24;
constexpr int kDescriptionWidth = 480;
constexpr int kDescriptionTopFromBottom = 176;
constexpr int kDescriptionBottomFromBottom = 16;
constexpr int kLogoMargin = 10;
constexpr COLORREF kHighlight = 0xFFFFFF;
constexpr COLORREF kShadow = 0x000000;

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    ui::ScopedBrush brush(CreateSolidBrush(colour));
    if (brush.get() != nullptr)
        FillRect(dc, &rect, brush.get());
}

// Band k carries floor(start * (256 - k) / 256) in each channel. The running values
// and the band edges are multiples of 1/256 of an integer below 2^16, so the
// doubles hold them exactly and no rounding creeps in.
void PaintGradient(HDC dc, const RECT& rc, COLORREF start)
{
    double red = GetRValue(start);
    double green = GetGValue(start);
    double blue = GetBValue(start);
    const double redStep = (0 - red) * (1.0 / kBands);
    const double greenStep = (0 - green) * (1.0 / kBands);
    const double blueStep = (0 - blue) * (1.0 / kBands);
    const int height = rc.bottom - rc.top;
    const double step = height * (1.0 / kBands);

    SetMapMode(dc, MM_TEXT);
    for (double y = 0.0; height > y; y += step) {
        RECT band = {rc.left, rc.top + int(y), rc.right, rc.top + int(ceil(y + step))};
        FillSolid(dc, band, RGB(int(red) & 0xFF, int(green) & 0xFF, int(blue) & 0xFF));
        red += redStep;
        green += greenStep;
        blue += blueStep;
    }
}

HFONT CreateBackdropFont(int height, BOOL italic, const char* face)
{
    return CreateFontA(height, 0, 0, 0, 500, italic, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, face);
}

// The header's texts as the user reads them: UTF-8 under the marker, else in
// the system's code page. Drawn through the wide calls either way, so that the
// font shows them with its glyphs for that code page whatever character set it
// asks for. The reader terminates the fields only once the header's checksum
// holds; a damaged header is still painted behind the damage message, so
// never look past a field.
int HeaderText(const char* field, int width, WCHAR* wide)
{
    const UINT codePage = package::HasUtf8Texts(instheader) ? CP_UTF8 : CP_ACP;
    return actions::FieldToWide(codePage, field, width, wide, width + 1);
}

// The embossed title, centred: a highlight, a shadow two pixels (at 96 DPI) lower
// right, and last the shade between them, over both.
void PaintTitle(HDC dc, const RECT& rc, COLORREF start)
{
    const COLORREF shade = RGB(GetRValue(start) * 3 / 4, GetGValue(start) * 3 / 4, GetBValue(start) * 3 / 4);
    ui::ScopedFont font(CreateBackdropFont(ui::Scaled(kTitleHeight), TRUE, "TIMES NEW ROMAN"));
    ui::ScopedSelectObject fontInDc(dc, font.get());
    SetBkMode(dc, TRANSPARENT);

    WCHAR title[sizeof instheader.szTitle + 1];
    const int length = HeaderText(instheader.szTitle, sizeof instheader.szTitle, title);
    SIZE extent = {0, 0};
    GetTextExtentPoint32W(dc, title, length, &extent);
    const int x = (rc.right - rc.left - extent.cx) / 2;
    const int top = ui::Scaled(kTitleTop);

    const COLORREF colours[] = {kHighlight, kShadow, shade};
    const int offsets[] = {0, 2, 1};
    for (int layer = 0; layer < 3; ++layer) {
        const int offset = ui::Scaled(offsets[layer]);
        SetTextColor(dc, colours[layer]);
        TextOutW(dc, x + offset, top + offset, title, length);
    }
}

void PaintDescription(HDC dc, const RECT& rc)
{
    ui::ScopedFont font(CreateBackdropFont(ui::Scaled(kDescriptionHeight), FALSE, "ARIAL"));
    ui::ScopedSelectObject fontInDc(dc, font.get());
    SetBkMode(dc, TRANSPARENT);

    const int mid = (rc.right - rc.left) / 2;
    const int width = ui::Scaled(kDescriptionWidth);
    const int left = mid - width / 2;
    RECT box = {left, rc.bottom - ui::Scaled(kDescriptionTopFromBottom), left + width,
                rc.bottom - ui::Scaled(kDescriptionBottomFromBottom)};
    const int offset = ui::Scaled(1);
    OffsetRect(&box, offset, offset);
    // The whole COLORREF, unlike the gradient and the shade, which use its low three bytes.
    SetTextColor(dc, instheader.crColour);
    WCHAR text[sizeof instheader.szDescription + 1];
    DrawTextW(dc, text, HeaderText(instheader.szDescription, sizeof instheader.szDescription, text), &box,
              DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace

void ui::PaintBackdropArea(HDC dc, const RECT& rc)
{
    if (instheader.dwTag != package::kTagHeader) {
        FillSolid(dc, rc, 0);
        return;
    }
    const COLORREF start = instheader.crColour & 0xFFFFFF;
    PaintGradient(dc, rc, start);
    PaintTitle(dc, rc, start);
    PaintDescription(dc, rc);
    if (image == nullptr)
        return;
    // Where a language reads from the right the logo stands at the right; the
    // backdrop itself is never mirrored, or the logo would be drawn flipped.
    const int margin = ui::Scaled(kLogoMargin);
    const bool right = package::RightToLeft();
    DrawBitmap(dc, right ? rc.right - margin : rc.left + margin, rc.top + margin, image, SRCCOPY,
               instlogo.dwFormat == package::kLogoAlphaMarker, right);
}

void PaintBackdrop(HWND window, HDC dc)
{
    RECT rc;
    GetClientRect(window, &rc);
    ui::PaintBackdropArea(dc, rc);
}
