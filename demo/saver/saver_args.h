// The screen-saver command line, parsed without Windows so that the rules can be
// tested natively: which mode Windows asks for and which window it hands over.
#pragma once

#include <stdint.h>

enum class SaverMode { Screen, Preview, Configure };

struct SaverArgs {
    SaverMode mode = SaverMode::Screen;
    // Window handles are 32-bit values on every Windows, also in 64-bit processes.
    uint32_t window = 0;
    bool hasWindow = false;
};

// Parses the arguments after the program name (WinMain's lpCmdLine). Accepted:
// nothing, "/S", "/P <hwnd>", "/P:<hwnd>", "/C", "/C <hwnd>", "/C:<hwnd>", with
// '-' in place of '/', letters of either case, blanks or tabs between tokens and
// optional double quotes around a token. A handle is decimal or 0x-hexadecimal.
// Returns false for anything else, including a preview without a usable window.
bool ParseSaverArgs(const char* arguments, SaverArgs* result);

// Tells a real mouse move from the noise Windows sends: a window that appears under
// a still cursor gets WM_MOUSEMOVE messages too, and a desk knock moves it a pixel.
class WakeFilter {
public:
    static constexpr int kIgnoredMessages = 3;
    static constexpr int kThreshold = 8;  // pixels, horizontally or vertically

    // True when this move should end the saver.
    bool IsRealMove(int x, int y);

private:
    int seen_ = 0;
    bool anchored_ = false;
    int anchorX_ = 0;
    int anchorY_ = 0;
};
