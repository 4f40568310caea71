#include "engine/auto_retouch.h"

#include <algorithm>
#include <cmath>

#include "engine/arithmetic.h"
#include "engine/kernels.h"

namespace sorvenal {

namespace {

int Spread(const SkinState& state) { return state.M0 - state.N0; }

// The stretch of strongly coloured samples: h is half the spread.
int Stretch(int v, int h) { return Floor(static_cast<double>(v * (h + 255)) / 255) + h; }

}  // namespace

ColorParts SplitColor(ColorValue c) {
    ColorParts p;
    p.R = static_cast<std::int16_t>(c % 256);  // remainder takes the sign of c
    p.G = static_cast<std::int16_t>(Floor((c % 65536) / 256.0));
    p.B = static_cast<std::int16_t>(Floor(c / 65536.0));
    return p;
}

void MeasureSkinSample(SkinState& state, const std::array<ColorParts, 5>& samples) {
    int sumR = 0, sumG = 0, sumB = 0;
    for (const ColorParts& s : samples) {
        sumR += s.R;
        sumG += s.G;
        sumB += s.B;
    }
    // Outside points count as -1, so a sum may be negative: floor, not truncation.
    state.R0 = std::max(1, Floor(sumR / 5.0));
    state.G0 = std::max(1, Floor(sumG / 5.0));
    state.B0 = std::max(1, Floor(sumB / 5.0));
    state.M0 = std::max({state.R0, state.G0, state.B0});
    state.N0 = std::min({state.R0, state.G0, state.B0});
    const int spread = Spread(state);
    if (spread > 50) {
        state.R0 = BacklightCurve(state.R0);
        state.G0 = BacklightCurve(state.G0);
        state.B0 = BacklightCurve(state.B0);
    }
    if (spread > 70) {
        const int h = spread / 2;
        state.R0 = Stretch(state.R0, h);
        state.G0 = Stretch(state.G0, h);
        state.B0 = Stretch(state.B0, h);
    }
}

ColorValue AutoRetouchColor(const SkinState& state, ColorValue c) {
    int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    const int spread = Spread(state);
    if (spread > 50) {
        r = BacklightCurve(r);  // unclamped: 255 becomes 256
        g = BacklightCurve(g);
        b = BacklightCurve(b);
    }
    if (spread > 70) {
        const int h = spread / 2;
        r = Stretch(r, h);
        g = Stretch(g, h);
        b = Stretch(b, h);
    }
    const int targetG = state.Dw == 0 ? 185 : 180;
    const int targetB = state.Dw == 0 ? 185 : 175;
    r = Floor(static_cast<double>(r * 215) / state.R0);
    g = Floor(static_cast<double>(g * targetG) / state.G0);
    b = Floor(static_cast<double>(b * targetB) / state.B0);
    return RGB(r, g, b);
}

std::array<ColorParts, 5> ReadSkinSamples(const CanvasView& canvas, double x, double y) {
    static constexpr double kOffsets[5][2] = {{-2, 2}, {-2, -2}, {0, 0}, {2, 2}, {2, -2}};
    std::array<ColorParts, 5> samples;
    for (int i = 0; i < 5; ++i) {
        const int px = RoundHalfEven(x + kOffsets[i][0]);
        const int py = RoundHalfEven(y + kOffsets[i][1]);
        samples[i] = SplitColor(canvas.Read(px, py));
    }
    return samples;
}

ChannelTables AutoRetouchTables(const SkinState& state) {
    ChannelTables t =
        TablesFromChannelFunction([&state](ColorValue c) { return AutoRetouchColor(state, c); });
    const int spread = Spread(state);
    const ChannelTables darken = TablesFromByteFunction(&DarkenByte);
    const ChannelTables contrast = TablesFromByteFunction(&ContrastUpByte);
    if (spread > 50) t = ChainTables(ChainTables(t, darken), contrast);
    if (spread > 70) t = ChainTables(ChainTables(t, contrast), contrast);
    return t;
}

void ApplyAutoRetouch(const CanvasView& canvas, const SkinState& state, const Progress& progress) {
    // Every step is per channel and per pixel, so the remap and the byte passes are one table.
    RunTablePass(canvas, AutoRetouchTables(state), progress);
}

void SkinClickRetouchPixels(const CanvasView& canvas, SkinState& state, double x, double y,
                            const Progress& progress) {
    MeasureSkinSample(state, ReadSkinSamples(canvas, x, y));
    ApplyAutoRetouch(canvas, state, progress);
}

}  // namespace sorvenal
