#include "tests/support/reference_passes.h"

#include <cstdint>

#include "engine/kernels.h"

namespace sorvenal::test {

void RunPixelEffect(const CanvasView& canvas, ColorFunction fn, const Progress& progress) {
    if (canvas.empty()) return;
    for (int y = 0; y < canvas.height; ++y) {
        std::uint32_t* row = canvas.row(y);
        for (int x = 0; x < canvas.width; ++x) row[x] = ToCanvasPixel(fn(FromCanvasPixel(row[x])));
        if (progress) progress(y + 1, canvas.height);
    }
}

void RunPixelEffect(const CanvasView& canvas, NeighbourhoodFunction fn, const Progress& progress) {
    if (canvas.empty()) return;
    for (int y = 0; y < canvas.height; ++y) {
        std::uint32_t* row = canvas.row(y);
        for (int x = 0; x < canvas.width; ++x) row[x] = ToCanvasPixel(fn(canvas, x, y));
        if (progress) progress(y + 1, canvas.height);
    }
}

void RunByteEffect(const CanvasView& canvas, ByteFunction fn, const Progress& progress) {
    if (canvas.empty()) return;
    for (int y = 0; y < canvas.height; ++y) {
        std::uint32_t* row = canvas.row(y);
        for (int x = 0; x < canvas.width; ++x) {
            const std::uint32_t p = row[x];
            const auto blue = static_cast<std::uint32_t>(fn(static_cast<int>(p & 0xFFu)));
            const auto green = static_cast<std::uint32_t>(fn(static_cast<int>((p >> 8) & 0xFFu)));
            const auto red = static_cast<std::uint32_t>(fn(static_cast<int>((p >> 16) & 0xFFu)));
            row[x] = 0xFF000000u | (red << 16) | (green << 8) | blue;
        }
        if (progress) progress(y + 1, canvas.height);
    }
}

void ApplyAutoRetouchReference(const CanvasView& canvas, const SkinState& state) {
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            canvas.Write(x, y, AutoRetouchColor(state, canvas.Read(x, y)));
    // The spread of the measured sample decides the byte passes that follow.
    const int spread = state.M0 - state.N0;
    if (spread > 50) {
        RunByteEffect(canvas, &DarkenByte);
        RunByteEffect(canvas, &ContrastUpByte);
    }
    if (spread > 70) {
        RunByteEffect(canvas, &ContrastUpByte);
        RunByteEffect(canvas, &ContrastUpByte);
    }
}

}  // namespace sorvenal::test
