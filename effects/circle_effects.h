#pragma once
// The circle colour functions and their region pass (pure C++, no Qt).
#include <cstdint>
#include <optional>
#include <random>
#include <string_view>

#include "engine/canvas_view.h"
#include "engine/color_value.h"
#include "engine/pixel_pipeline.h"

namespace sorvenal {

// The marked circle, in picture pixels; rl == 0 means no circle.
struct Circle {
    float X1 = 0;
    float Y1 = 0;
    float rl = 0;
};

// The loop positions the colour functions read are passed as arguments (x, y).
ColorValue CircleLightColor(const Circle& circle, int x, int y, ColorValue c);
ColorValue CircleRedColor(const Circle& circle, int x, int y, ColorValue c, float u);
ColorValue EyeBlueColor(const Circle& circle, int x, int y, ColorValue c);
ColorValue SpotlightColor(const Circle& circle, int x, int y, ColorValue c);
ColorValue CirclePictureColor(const Circle& circle, int x, int y, ColorValue c);

enum class CircleEffect { Light, Red, EyeBlue, Spotlight, Picture };
std::optional<CircleEffect> CircleEffectFromName(std::string_view name);  // "circle-light", ...
std::string_view CircleEffectName(CircleEffect effect);

// Positions visited, inclusive; may extend past the canvas.
struct Region {
    int x0, y0, x1, y1;
};
Region CircleEffectRegion(CircleEffect effect, const Circle& circle, int width, int height);

// The program's pseudo-random sequence: fixed start state, one per program run.
class RandomSequence {
public:
    RandomSequence() = default;
    float Next();  // uniform in [0, 1), single precision
    // Draws taken since the start: a step that draws records it, so it can be run again.
    std::uint64_t Position() const { return position_; }
    // The sequence as it stood after `position` draws.
    static RandomSequence At(std::uint64_t position);

private:
    std::mt19937 engine_{20240601u};
    std::uint64_t position_ = 0;
};

// Visits the region in order; positions outside the canvas are visited (and cost the red
// effect its draw) but not read or written.
void RunCircleEffect(const CanvasView& canvas, CircleEffect effect, const Circle& circle,
                     RandomSequence& random, const Progress& progress = {});

}  // namespace sorvenal
