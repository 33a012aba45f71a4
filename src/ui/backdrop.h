// The main window's background: a gradient from the package's theme colour down
// to black, the embossed title, the description and the logo.
#pragma once

#include <windows.h>

// Paints the whole client area of `window` into `dc`: plain black until a package
// header is held, the backdrop afterwards.
void PaintBackdrop(HWND window, HDC dc);

namespace ui {

// The same for a client rectangle `rc` of the surface behind `dc`.
void PaintBackdropArea(HDC dc, const RECT& rc);

}  // namespace ui
