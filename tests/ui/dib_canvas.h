// A 32-bit top-down DIB section selected into a memory DC: something to paint
// into and read back pixel by pixel, without a window or a screen.
#pragma once

#include <windows.h>

#include <stdint.h>

namespace uitest {

class Canvas {
public:
    // Every pixel starts as `fill` (0xRRGGBB), so that untouched pixels can be told apart.
    Canvas(int width, int height, uint32_t fill = 0x010203) : width_(width), height_(height), fill_(fill)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i)
            bits_[i] = fill;
    }
    ~Canvas()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t Pixel(int x, int y) const  // 0xRRGGBB
    {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }
    int CountChanged() const
    {
        GdiFlush();
        int changed = 0;
        for (int i = 0; i < width_ * height_; ++i)
            changed += (bits_[i] & 0xFFFFFF) != fill_;
        return changed;
    }

private:
    int width_, height_;
    uint32_t fill_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    uint32_t* bits_ = nullptr;
};

}  // namespace uitest
