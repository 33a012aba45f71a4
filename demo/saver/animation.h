// The picture the demo saver shows: soft orbs of light drifting over a night-blue
// sky with a few twinkling stars. Positions are kept as fractions of the window,
// so the same scene fits the full screen and the small preview alike.
#pragma once

#include <windows.h>

class OrbField {
public:
    void Reset(unsigned seed);
    void Resize(int width, int height);
    void Advance(DWORD elapsedMs);
    void Draw(HDC dc) const;

private:
    struct Orb {
        double x, y;    // centre, fraction of width and height
        double vx, vy;  // fractions per second
        double size;    // radius, fraction of the shorter side
        double hue;     // 0..1 around the colour wheel
        double hueSpeed;
    };
    struct Star {
        double x, y;
        double phase;
        double speed;
    };

    static constexpr int kOrbCount = 7;
    static constexpr int kStarCount = 48;

    void DrawSky(HDC dc) const;
    void DrawStars(HDC dc) const;
    void DrawOrb(HDC dc, const Orb& orb) const;
    COLORREF SkyAt(int y) const;

    Orb orbs_[kOrbCount] = {};
    Star stars_[kStarCount] = {};
    int width_ = 0;
    int height_ = 0;
};
