// Drawing the logo: a packed device-independent bitmap held in a global memory
// block, drawn with its own palette when it has one, or blended over what is
// already there when it carries premultiplied alpha; 1:1 at 96 DPI, and as much
// larger as the display's DPI is elsewhere.
#pragma once

#include <stddef.h>
#include <windows.h>

// Draws the packed DIB in `block` with its top-left corner at (x, y), or with
// `fromRight` its top-right corner, at its own size scaled to the display
// (ui::Scaled; stretched off 96 DPI). A block that is
// NULL, cannot be locked, or does not hold a whole uncompressed bottom-up bitmap
// of 1, 4, 8, 16, 24 or 32 bits per pixel draws nothing. With `blendAlpha`, a
// 32-bit bitmap is taken to hold premultiplied alpha in its fourth byte and is
// blended; should blending fail it is copied with `rop` as any other bitmap.
void DrawBitmap(HDC dc, int x, int y, HGLOBAL block, DWORD rop, bool blendAlpha = false, bool fromRight = false);

namespace ui {

// The same for a packed DIB of `size` bytes at `data`; never reads past data + size.
void DrawPackedDib(HDC dc, int x, int y, const void* data, size_t size, DWORD rop, bool blendAlpha = false,
                   bool fromRight = false);

}  // namespace ui
