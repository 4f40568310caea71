#include "engine/kernels.h"

#include <cmath>

#include "engine/arithmetic.h"

namespace sorvenal {

namespace {

// 255 or more becomes 255, 0 or less becomes 0.
int Clamp(int v) {
    if (v >= 255) return 255;
    if (v <= 0) return 0;
    return v;
}

}  // namespace

ColorValue WhitenColor(ColorValue c) {
    const int r = RedOf(c);
    const int g = GreenOf(c);
    const int r1 = Floor(1.1 * r - 13);
    // r1 enters unclamped; floor, not truncation, for the negative differences.
    const int t = Floor(1.1 * g) + Floor(0.275 * (r1 - g));
    const int b1 = t - 13;
    const int g1 = t - 8;
    return RGB(Clamp(r1), Clamp(g1), Clamp(b1));
}

ColorValue SharpenPixel(const CanvasView& work, int x, int y) {
    std::int32_t sr = 0, sg = 0, sb = 0;
    std::int16_t n = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const ColorValue p = work.Read(x + dx, y + dy);
            if (p == kNoPixel) continue;
            const int w = (dx == 0 && dy == 0) ? 17 : -1;
            sr += w * RedOf(p);
            sg += w * GreenOf(p);
            sb += w * BlueOf(p);
            ++n;
        }
    }
    // The centre itself is always read, so n >= 1; C++ division truncates toward zero.
    return RGB(Clamp(sr / n), Clamp(sg / n), Clamp(sb / n));
}

int GammaComponent(int v) {
    const double s = std::sqrt(255.0 * v);
    const double a = s + 267;
    const int u = 522 - Floor(std::sqrt(344600 - a * a));
    return Clamp(u);
}

ColorValue GammaColor(ColorValue c) {
    return RGB(GammaComponent(RedOf(c)), GammaComponent(GreenOf(c)), GammaComponent(BlueOf(c)));
}

int BacklightComponent(int v) { return Floor(v * 295 / 255.0) + 40; }

ColorValue BacklightColor(ColorValue c) {
    return RGB(BacklightComponent(RedOf(c)), BacklightComponent(GreenOf(c)),
               BacklightComponent(BlueOf(c)));
}

int BacklightCurve(int v) {
    const double a = std::sqrt(255.0 * v) + 680;
    return 935 - Floor(std::sqrt(1336600 - a * a));
}

ColorValue BacklightSpecialColor(ColorValue c) {
    return RGB(BacklightCurve(RedOf(c)), BacklightCurve(GreenOf(c)), BacklightCurve(BlueOf(c)));
}

ColorValue SaturateColor(ColorValue c) {
    constexpr double k = 0.2;
    int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    // Each test sees the values the previous one left.
    if (r >= g && r >= b) {
        g = g - Floor((r - g) * k);
        b = b - Floor((r - b) * k);
    }
    if (g > r && g > b) {
        r = r - Floor((g - r) * k);
        b = b - Floor((g - b) * k);
    }
    if (b > g && b > r) {
        g = g - Floor((b - g) * k);
        r = r - Floor((b - r) * k);
    }
    return RGB(Clamp(r), Clamp(g), Clamp(b));
}

ColorValue DesaturateColor(ColorValue c) {
    int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    if (r >= g && r >= b) {
        g = Floor((r - g) * 0.2) + g;
        b = Floor((r - b) * 0.2) + b;
    }
    if (g > r && g > b) {
        r = Floor((g - r) * 0.2) + r;
        b = Floor((g - b) * 0.2) + b;
    }
    if (b > g && b > r) {
        g = Floor((b - g) * 0.3) + g;
        r = Floor((b - r) * 0.3) + r;
    }
    return RGB(Clamp(r), Clamp(g), Clamp(b));
}

int DarkenByte(int v) { return v <= 60 ? Floor(2.0 * v / 3) : v - 20; }

int LightenByte(int v) { return v >= 220 ? Floor((255 - v) / 2.0) + v : v + 30; }

int ContrastUpByte(int v) { return (v > 20 && v < 243) ? Floor(1.1 * v) - 13 : v; }

int ContrastDownByte(int v) { return (v > 20 && v < 243) ? Floor(0.9 * v) + 13 : v; }

}  // namespace sorvenal
