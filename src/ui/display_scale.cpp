#include "ui/display_scale.h"

#include "ui/scoped_gdi.h"

namespace {

constexpr int kDesignDpi = 96;

int systemDpi;  // 0 until read: a system-aware program's DPI cannot change while it runs

}  // namespace

int ui::Scaled(int pixels)
{
    if (systemDpi == 0) {
        // GetDpiForSystem says the same, but only from Windows 10 on; the screen
        // DC's LOGPIXELSY gives the system DPI to a DPI-aware program everywhere.
        ScopedScreenDC screen;
        systemDpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
        // Windows offers nothing below 100 %; without a DC, 100 % it is.
        if (systemDpi < kDesignDpi)
            systemDpi = kDesignDpi;
    }
    return MulDiv(pixels, systemDpi, kDesignDpi);
}
