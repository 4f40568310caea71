#pragma once
// The automatic retouch: measure a skin sample, remap the whole picture to a target tone.
#include <array>
#include <cstdint>

#include "engine/canvas_view.h"
#include "engine/color_value.h"
#include "engine/pixel_pipeline.h"

namespace sorvenal {

struct ColorParts {
    std::int16_t R = 0;
    std::int16_t G = 0;
    std::int16_t B = 0;
};

// The skin sample and retouch type; the main window owns one and keeps it between clicks.
struct SkinState {
    std::int32_t R0 = 0, G0 = 0, B0 = 0;  // divisors of the final scaling, each >= 1 once measured
    std::int32_t M0 = 0, N0 = 0;          // largest and smallest averaged component
    std::int32_t Dw = 0;                  // 0 whitening type, anything else normal type
};

ColorParts SplitColor(ColorValue c);
void MeasureSkinSample(SkinState& state, const std::array<ColorParts, 5>& samples);
ColorValue AutoRetouchColor(const SkinState& state, ColorValue c);

// The five sample reads around a press at (x, y), in their defined order.
std::array<ColorParts, 5> ReadSkinSamples(const CanvasView& canvas, double x, double y);

// The whole pixel work: the remapping pass, then the byte passes the spread calls for.
void ApplyAutoRetouch(const CanvasView& canvas, const SkinState& state,
                      const Progress& progress = {});

// The remap and the byte passes folded into one per-channel table (what ApplyAutoRetouch runs).
ChannelTables AutoRetouchTables(const SkinState& state);

// Measure at (x, y) and retouch: the pixel work of one skin click.
void SkinClickRetouchPixels(const CanvasView& canvas, SkinState& state, double x, double y,
                            const Progress& progress = {});

}  // namespace sorvenal
