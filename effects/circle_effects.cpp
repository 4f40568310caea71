#include "effects/circle_effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "engine/arithmetic.h"

namespace sorvenal {

RandomSequence RandomSequence::At(std::uint64_t position) {
    RandomSequence sequence;
    sequence.engine_.discard(position);
    sequence.position_ = position;
    return sequence;
}

namespace {

int Distance(const Circle& circle, int x, int y) {
    const double dx = static_cast<double>(circle.X1) - x;
    const double dy = static_cast<double>(circle.Y1) - y;
    const double d = std::floor(std::sqrt(dx * dx + dy * dy));
    return d < 2e9 ? static_cast<int>(d) : 2000000000;
}

struct Parts {
    int R, G, B;
};

Parts Unpack(ColorValue c) { return {RedOf(c), GreenOf(c), BlueOf(c)}; }

// Channels are whole numbers here; the cap at 255 is the assembly rule.
ColorValue Pack(const Parts& p) { return RGB(p.R, p.G, p.B); }

}  // namespace

ColorValue CircleLightColor(const Circle& circle, int x, int y, ColorValue c) {
    Parts p = Unpack(c);
    const int D = Distance(circle, x, y);
    const float fourThirds = circle.rl * 4.0f / 3.0f;  // single precision, as the radius is held
    const int Ro = RoundHalfEven(fourThirds);
    const auto apply = [&](int& ch) {
        if (2 * D <= Ro) {
            ch = Floor(ch * 1.1);
            ch = ch + 10;
        } else if (D < Ro) {
            // Ro / D to three decimals, a tie going to the even last digit.
            const double round3 = std::nearbyint(static_cast<double>(Ro) / D * 1000) / 1000;
            ch = Floor(ch * (1 + (round3 - 1) / 10));
            ch = (ch - 10) + (10 * Ro) / D;
        }
    };
    apply(p.R);
    apply(p.G);
    apply(p.B);
    return Pack(p);
}

ColorValue CircleRedColor(const Circle& circle, int x, int y, ColorValue c, float u) {
    Parts p = Unpack(c);
    const int D = Distance(circle, x, y);
    const double rl = circle.rl;
    const int n = Floor(u * 11.0f);
    const bool inner = rl >= 2.0 * D;
    const bool ring = D < rl && rl < 2.0 * D;
    if (inner) {
        if (n <= 3) {
            p.G = (5 * p.G) / 6;
            p.B = (5 * p.B) / 6;
        } else {
            p.G = (7 * p.G) / 8;
            p.B = (7 * p.B) / 8;
        }
    } else if (ring) {
        const int r = RoundHalfEven(rl);  // D < rl < 2 D puts it at 2 or more
        if (n <= 3) {
            p.G = (2 * p.G) / 3 + ((p.G * D) / r) / 3;
            p.B = (2 * p.B) / 3 + ((p.B * D) / r) / 3;
        } else {
            p.G = (3 * p.G) / 4 + ((p.G * D) / r) / 4;
            p.B = (3 * p.B) / 4 + ((p.B * D) / r) / 4;
        }
    }
    return Pack(p);
}

ColorValue EyeBlueColor(const Circle& circle, int x, int y, ColorValue c) {
    Parts p = Unpack(c);
    const int D = Distance(circle, x, y);
    const double rl = circle.rl;
    if (rl > D && RoundHalfEven(rl) / 3 < D) {
        if (p.R < 100 && p.G < 100 && p.B < 100) {
            p.B = (p.B + 10) * 3;
        } else if (p.R > 2 * p.B && p.B < 100) {
            p.B = (p.B + 10) * 3;
            p.R = p.R / 2;
        }
    }
    return Pack(p);
}

ColorValue SpotlightColor(const Circle& circle, int x, int y, ColorValue c) {
    Parts p = Unpack(c);
    const int D = Distance(circle, x, y);
    if (D > static_cast<double>(circle.rl)) {
        p.R = p.R / 3;
        p.G = p.G / 3;
        p.B = p.B / 3;
    }
    return Pack(p);
}

ColorValue CirclePictureColor(const Circle& circle, int x, int y, ColorValue c) {
    Parts p = Unpack(c);
    const int D = Distance(circle, x, y);
    if (D > static_cast<double>(circle.rl)) {
        p = {0, 0, 0};
    } else if (p.R == 0 && p.G == 0 && p.B == 0) {
        p = {1, 1, 1};  // so that pure black remains only outside the circle
    }
    return Pack(p);
}

namespace {

constexpr std::array<std::pair<std::string_view, CircleEffect>, 5> kEffectNames = {{
    {"circle-light", CircleEffect::Light},
    {"circle-red", CircleEffect::Red},
    {"eye-blue", CircleEffect::EyeBlue},
    {"spotlight", CircleEffect::Spotlight},
    {"circle-picture", CircleEffect::Picture},
}};

}  // namespace

std::optional<CircleEffect> CircleEffectFromName(std::string_view name) {
    for (const auto& [n, effect] : kEffectNames)
        if (n == name) return effect;
    return std::nullopt;
}

std::string_view CircleEffectName(CircleEffect effect) {
    for (const auto& [n, e] : kEffectNames)
        if (e == effect) return n;
    return {};
}

Region CircleEffectRegion(CircleEffect effect, const Circle& circle, int width, int height) {
    const double X1 = circle.X1, Y1 = circle.Y1;
    switch (effect) {
        case CircleEffect::Light: {
            // The half-width of the square: rl * 4 rounded, then div 3.
            const int S = RoundHalfEven(circle.rl * 4.0f) / 3;
            return {RoundHalfEven(X1 - S), RoundHalfEven(Y1 - S), RoundHalfEven(X1 + S - 1),
                    RoundHalfEven(Y1 + S - 1)};
        }
        case CircleEffect::Red:
        case CircleEffect::EyeBlue: {
            const double rl = circle.rl;
            return {RoundHalfEven(X1 - rl), RoundHalfEven(Y1 - rl), RoundHalfEven(X1 + rl - 1),
                    RoundHalfEven(Y1 + rl - 1)};
        }
        case CircleEffect::Spotlight:
        case CircleEffect::Picture:
            break;
    }
    return {0, 0, width - 1, height - 1};
}

float RandomSequence::Next() {
    ++position_;
    // The top 24 bits, scaled: every value is a float in [0, 1), exactly.
    return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f);
}

namespace {

using PositionColorFunction = ColorValue (*)(const Circle&, int, int, ColorValue);

PositionColorFunction FunctionOf(CircleEffect effect) {
    switch (effect) {
        case CircleEffect::Light:
            return &CircleLightColor;
        case CircleEffect::EyeBlue:
            return &EyeBlueColor;
        case CircleEffect::Spotlight:
            return &SpotlightColor;
        case CircleEffect::Picture:
            return &CirclePictureColor;
        case CircleEffect::Red:
            break;
    }
    return nullptr;
}

// True where the circle functions count (x, y) as inside: D <= rl.
bool Inside(const Circle& circle, int x, int y) {
    return !(Distance(circle, x, y) > static_cast<double>(circle.rl));
}

// The columns of row y inside the circle, clipped to 0..width-1; empty when first > last.
// D only grows with |X1 - x|, so the inside columns are one run around the centre; the estimate
// from the circle's equation is then moved to the exact edge with the same test as the
// colour functions.
std::pair<int, int> InsideColumns(const Circle& circle, int y, int width) {
    const int centre = std::clamp(RoundHalfEven(circle.X1), 0, width - 1);
    if (!Inside(circle, centre, y)) return {1, 0};
    const double dy = static_cast<double>(circle.Y1) - y;
    const double reach = std::floor(static_cast<double>(circle.rl)) + 1;
    const double half = std::sqrt(std::max(0.0, reach * reach - dy * dy));

    int last = std::clamp(RoundHalfEven(circle.X1 + half), centre, width - 1);
    while (last < width - 1 && Inside(circle, last + 1, y)) ++last;
    while (!Inside(circle, last, y)) --last;

    int first = std::clamp(RoundHalfEven(circle.X1 - half), 0, centre);
    while (first > 0 && Inside(circle, first - 1, y)) --first;
    while (!Inside(circle, first, y)) ++first;
    return {first, last};
}

void RunWholePicture(const CanvasView& canvas, CircleEffect effect, const Circle& circle,
                     const Progress& progress) {
    // Outside the circle both rules ignore the position: tables from a point known to be outside.
    const Circle unit{0, 0, 0};
    const ChannelTables outside = TablesFromChannelFunction([&unit, effect](ColorValue c) {
        return effect == CircleEffect::Spotlight ? SpotlightColor(unit, 1, 0, c)
                                                 : CirclePictureColor(unit, 1, 0, c);
    });
    // Inside, spotlight leaves every colour and the circular picture changes only pure black.
    const std::uint32_t insideBlack = ToCanvasPixel(CirclePictureColor(unit, 0, 0, RGB(0, 0, 0)));
    const bool liftBlack = effect == CircleEffect::Picture;

    const auto mapOutside = [&outside](std::uint32_t* row, int from, int to) {
        MapRow(outside, row, from, to);
    };
    const auto band = [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            std::uint32_t* row = canvas.row(y);
            const auto [first, last] = InsideColumns(circle, y, canvas.width);
            if (first > last) {
                mapOutside(row, 0, canvas.width);
                continue;
            }
            mapOutside(row, 0, first);
            mapOutside(row, last + 1, canvas.width);
            if (liftBlack)
                for (int x = first; x <= last; ++x)
                    if ((row[x] & 0xFFFFFFu) == 0) row[x] = insideBlack;
        }
    };
    ForEachRowBand(canvas.height, static_cast<long long>(canvas.width) * canvas.height, band,
                   progress);
}

}  // namespace

void RunCircleEffect(const CanvasView& canvas, CircleEffect effect, const Circle& circle,
                     RandomSequence& random, const Progress& progress) {
    if (!(circle.rl > 0)) return;  // no circle marked: the window says so and nothing changes
    if (effect == CircleEffect::Spotlight || effect == CircleEffect::Picture) {
        if (!canvas.empty()) RunWholePicture(canvas, effect, circle, progress);
        return;
    }
    const Region region = CircleEffectRegion(effect, circle, canvas.width, canvas.height);
    const int rows = region.y1 - region.y0 + 1;
    if (rows <= 0 || region.x1 < region.x0) return;
    // Positions off the canvas are neither read nor written, but the red effect still spends
    // its draw on each of them, in visiting order.
    const int xa = std::max(region.x0, 0);
    const int xb = std::min(region.x1, canvas.width - 1);
    const PositionColorFunction fn = FunctionOf(effect);
    for (int y = region.y0; y <= region.y1; ++y) {
        const bool rowOnCanvas = y >= 0 && y < canvas.height && xa <= xb;
        if (effect == CircleEffect::Red) {
            for (int x = region.x0; x <= region.x1; ++x) {
                const float u = random.Next();
                if (rowOnCanvas && x >= xa && x <= xb) {
                    std::uint32_t& px = canvas.row(y)[x];
                    px = ToCanvasPixel(CircleRedColor(circle, x, y, FromCanvasPixel(px), u));
                }
            }
        } else if (rowOnCanvas) {
            std::uint32_t* row = canvas.row(y);
            for (int x = xa; x <= xb; ++x)
                row[x] = ToCanvasPixel(fn(circle, x, y, FromCanvasPixel(row[x])));
        }
        if (progress) progress(y - region.y0 + 1, rows);
    }
}

}  // namespace sorvenal
