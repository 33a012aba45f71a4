// Drawing and motion of the demo saver's scene; see animation.h. Everything is
// painted with plain GDI fills through the stock DC brush, so a frame creates no
// GDI objects at all.
#include "animation.h"

#include <math.h>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSkyBands = 48;
constexpr int kOrbRings = 14;
// Longer gaps (a suspended machine, a stalled timer) must not make orbs jump.
constexpr DWORD kLongestStepMs = 100;

// The sky runs from a deep shade of the project's blue at the top to near black.
constexpr int kSkyTop[3] = {0x0C, 0x24, 0x5C};
constexpr int kSkyBottom[3] = {0x02, 0x04, 0x10};

// A small linear congruential generator: the scene needs variety, not quality,
// and our own gives the same scene for the same seed on every C runtime.
class Random {
public:
    explicit Random(unsigned seed) : state_(seed * 2654435761u + 1u) {}
    double Next()  // 0 <= value < 1
    {
        state_ = state_ * 1664525u + 1013904223u;
        return double(state_ >> 8) / double(1u << 24);
    }
    double Between(double low, double high) { return low + (high - low) * Next(); }

private:
    unsigned state_;
};

int Mix(int from, int to, double t)
{
    return from + int(double(to - from) * t);
}

COLORREF HueColour(double hue)
{
    // A bright, somewhat pastel colour wheel: every channel stays above a floor.
    double r = 0.5 + 0.5 * cos(2.0 * kPi * hue);
    double g = 0.5 + 0.5 * cos(2.0 * kPi * (hue - 1.0 / 3.0));
    double b = 0.5 + 0.5 * cos(2.0 * kPi * (hue - 2.0 / 3.0));
    return RGB(60 + int(195.0 * r), 60 + int(195.0 * g), 60 + int(195.0 * b));
}

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    RECT rc = {left, top, right, bottom};
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Bounce(double* position, double* speed, double margin)
{
    if (*position < margin && *speed < 0.0) {
        *position = margin;
        *speed = -*speed;
    } else if (*position > 1.0 - margin && *speed > 0.0) {
        *position = 1.0 - margin;
        *speed = -*speed;
    }
}

}  // namespace

void OrbField::Reset(unsigned seed)
{
    Random random(seed);
    for (Orb& orb : orbs_) {
        orb.x = random.Between(0.15, 0.85);
        orb.y = random.Between(0.15, 0.85);
        double angle = random.Between(0.0, 2.0 * kPi);
        double speed = random.Between(0.015, 0.04);
        orb.vx = speed * cos(angle);
        orb.vy = speed * sin(angle);
        orb.size = random.Between(0.07, 0.2);
        orb.hue = random.Next();
        orb.hueSpeed = random.Between(0.01, 0.03);
    }
    for (Star& star : stars_) {
        star.x = random.Next();
        star.y = random.Next();
        star.phase = random.Between(0.0, 2.0 * kPi);
        star.speed = random.Between(0.8, 2.5);
    }
}

void OrbField::Resize(int width, int height)
{
    width_ = width;
    height_ = height;
}

void OrbField::Advance(DWORD elapsedMs)
{
    if (elapsedMs > kLongestStepMs)
        elapsedMs = kLongestStepMs;
    double seconds = elapsedMs / 1000.0;
    for (Orb& orb : orbs_) {
        orb.x += orb.vx * seconds;
        orb.y += orb.vy * seconds;
        Bounce(&orb.x, &orb.vx, 0.05);
        Bounce(&orb.y, &orb.vy, 0.05);
        orb.hue += orb.hueSpeed * seconds;
        if (orb.hue >= 1.0)
            orb.hue -= 1.0;
    }
    for (Star& star : stars_) {
        star.phase += star.speed * seconds;
        if (star.phase > 2.0 * kPi)
            star.phase -= 2.0 * kPi;
    }
}

COLORREF OrbField::SkyAt(int y) const
{
    double t = height_ > 1 ? double(y) / double(height_ - 1) : 0.0;
    if (t < 0.0)
        t = 0.0;
    if (t > 1.0)
        t = 1.0;
    return RGB(Mix(kSkyTop[0], kSkyBottom[0], t), Mix(kSkyTop[1], kSkyBottom[1], t),
               Mix(kSkyTop[2], kSkyBottom[2], t));
}

void OrbField::DrawSky(HDC dc) const
{
    for (int band = 0; band < kSkyBands; ++band) {
        int top = height_ * band / kSkyBands;
        int bottom = height_ * (band + 1) / kSkyBands;
        Fill(dc, 0, top, width_, bottom, SkyAt((top + bottom) / 2));
    }
}

void OrbField::DrawStars(HDC dc) const
{
    // Big screens get 2-pixel stars; in the preview they would be blotches.
    int size = width_ >= 640 ? 2 : 1;
    for (const Star& star : stars_) {
        int level = 90 + int(110.0 * (0.5 + 0.5 * sin(star.phase)));
        int x = int(star.x * width_);
        int y = int(star.y * height_);
        Fill(dc, x, y, x + size, y + size, RGB(level, level, level + 30 > 255 ? 255 : level + 30));
    }
}

void OrbField::DrawOrb(HDC dc, const Orb& orb) const
{
    int shorter = width_ < height_ ? width_ : height_;
    double radius = orb.size * shorter;
    int cx = int(orb.x * width_);
    int cy = int(orb.y * height_);
    COLORREF edge = SkyAt(cy);
    COLORREF core = HueColour(orb.hue);
    // Concentric discs from the faint rim to a nearly white heart give a soft glow.
    for (int ring = 0; ring < kOrbRings; ++ring) {
        double t = double(ring + 1) / kOrbRings;
        int r = int(radius * (1.0 - 0.85 * double(ring) / kOrbRings));
        if (r < 1)
            break;
        double glow = t * t;
        int red = Mix(GetRValue(edge), GetRValue(core), glow);
        int green = Mix(GetGValue(edge), GetGValue(core), glow);
        int blue = Mix(GetBValue(edge), GetBValue(core), glow);
        if (ring >= kOrbRings - 3) {
            // The heart whitens, as a light would.
            double white = double(ring - (kOrbRings - 4)) / 4.0;
            red = Mix(red, 255, white);
            green = Mix(green, 255, white);
            blue = Mix(blue, 255, white);
        }
        SetDCBrushColor(dc, RGB(red, green, blue));
        Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1);
    }
}

void OrbField::Draw(HDC dc) const
{
    if (width_ <= 0 || height_ <= 0)
        return;
    DrawSky(dc);
    DrawStars(dc);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    for (const Orb& orb : orbs_)
        DrawOrb(dc, orb);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}
