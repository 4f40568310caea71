#pragma once
// A plain view of canvas memory: the engine changes the picture in place, with no conversion copy.
#include <cstddef>
#include <cstdint>

#include "engine/color_value.h"

namespace sorvenal {

struct CanvasView {
    std::uint32_t* bits = nullptr;  // 0xFFRRGGBB pixels, rows from the top
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // in pixels, not bytes

    bool empty() const { return bits == nullptr || width <= 0 || height <= 0; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    std::uint32_t* row(int y) const { return bits + stride * y; }

    // Outside the canvas a read yields kNoPixel and a write does nothing.
    ColorValue Read(int x, int y) const {
        return contains(x, y) ? FromCanvasPixel(row(y)[x]) : kNoPixel;
    }
    void Write(int x, int y, ColorValue c) const {
        if (contains(x, y)) row(y)[x] = ToCanvasPixel(c);
    }
};

}  // namespace sorvenal
