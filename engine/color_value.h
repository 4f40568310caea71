#pragma once
// The colour value at the kernels' boundary and its conversions to the canvas layout.
#include <cstdint>

namespace sorvenal {

// Red in bits 0-7, green 8-15, blue 16-23, top byte zero. -1 (all bits set) means "no pixel".
using ColorValue = std::int32_t;
inline constexpr ColorValue kNoPixel = -1;

constexpr int RedOf(ColorValue c) { return c & 255; }
constexpr int GreenOf(ColorValue c) { return (c & 65280) / 256; }
constexpr int BlueOf(ColorValue c) { return (c & 16711680) / 65536; }

// Assembles a colour; a component above 255 is stored as 255. Callers never pass negatives.
constexpr ColorValue RGB(int r, int g, int b) {
    if (r > 255) r = 255;
    if (g > 255) g = 255;
    if (b > 255) b = 255;
    return r + 256 * g + 65536 * b;
}

// Canvas pixels are 0xFFRRGGBB (QImage::Format_RGB32 memory, read as one 32-bit word).
constexpr ColorValue FromCanvasPixel(std::uint32_t p) {
    return static_cast<ColorValue>(((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16));
}
constexpr std::uint32_t ToCanvasPixel(ColorValue c) {
    const auto u = static_cast<std::uint32_t>(c);
    return 0xFF000000u | ((u & 0xFFu) << 16) | (u & 0xFF00u) | ((u >> 16) & 0xFFu);
}

}  // namespace sorvenal
