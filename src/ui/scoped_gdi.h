// Tiny owners for the GDI objects the stub creates while painting, so that every
// path out of a paint routine releases what it created, in the right order.
#pragma once

#include <windows.h>

namespace ui {

// A brush, font, bitmap or palette that is deleted with DeleteObject.
template <typename Handle>
class ScopedGdiObject {
public:
    explicit ScopedGdiObject(Handle handle = nullptr) : handle_(handle) {}
    ~ScopedGdiObject()
    {
        if (handle_ != nullptr)
            DeleteObject(handle_);
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

    Handle get() const { return handle_; }

private:
    Handle handle_;
};

using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedPalette = ScopedGdiObject<HPALETTE>;

// A memory device context, deleted with DeleteDC.
class ScopedMemoryDC {
public:
    explicit ScopedMemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC()
    {
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// The screen's DC, released with ReleaseDC.
class ScopedScreenDC {
public:
    ScopedScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScopedScreenDC()
    {
        if (dc_ != nullptr)
            ReleaseDC(nullptr, dc_);
    }
    ScopedScreenDC(const ScopedScreenDC&) = delete;
    ScopedScreenDC& operator=(const ScopedScreenDC&) = delete;

    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back on destruction. An
// object must leave a DC before it is deleted, so declare this after the object's
// owner.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelectObject()
    {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

    bool selected() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Selects a palette into a DC in the foreground and puts the previous one back
// (without realising it again) on destruction.
class ScopedSelectPalette {
public:
    ScopedSelectPalette(HDC dc, HPALETTE palette)
        : dc_(dc), previous_(palette ? SelectPalette(dc, palette, FALSE) : nullptr)
    {
    }
    ~ScopedSelectPalette()
    {
        if (previous_ != nullptr)
            SelectPalette(dc_, previous_, FALSE);
    }
    ScopedSelectPalette(const ScopedSelectPalette&) = delete;
    ScopedSelectPalette& operator=(const ScopedSelectPalette&) = delete;

    bool selected() const { return previous_ != nullptr; }

private:
    HDC dc_;
    HPALETTE previous_;
};

}  // namespace ui
