// The stub's lengths are given for a display at 96 DPI (100 %). It declares itself
// DPI-aware, so Windows no longer stretches its picture to the screen: it draws
// every length larger itself, by the one system DPI, read once.
#pragma once

namespace ui {

// `pixels` at 96 DPI in pixels of this display: times the system DPI / 96,
// rounded to the nearest. Never less than `pixels`, so no length vanishes.
int Scaled(int pixels);

}  // namespace ui
