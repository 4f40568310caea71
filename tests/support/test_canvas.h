#pragma once
// Plain pictures for the engine tests: owned pixels, a view on them, readable comparisons.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/canvas_view.h"

namespace sorvenal::test {

// Pixels past the row's end must never be touched by a pass.
inline constexpr std::uint32_t kPaddingMark = 0x12345678u;

struct Picture {
    Picture(int w, int h, int padding = 0)
        : width(w),
          height(h),
          stride(w + padding),
          pixels(static_cast<std::size_t>(stride) * (h > 0 ? h : 0), kPaddingMark) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) at(x, y) = 0xFF000000u;
    }
    CanvasView view() { return {pixels.empty() ? nullptr : pixels.data(), width, height, stride}; }
    std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * stride + x]; }
    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * stride + x];
    }
    void Fill(ColorValue c) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) at(x, y) = ToCanvasPixel(c);
    }

    int width, height, stride;
    std::vector<std::uint32_t> pixels;
};

inline Picture RandomPicture(int w, int h, unsigned seed, int padding = 0) {
    Picture p(w, h, padding);
    std::mt19937 gen(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.at(x, y) = 0xFF000000u | (gen() & 0xFFFFFFu);
    return p;
}

// Every colour exactly once: 4096 x 4096.
inline Picture AllColours() {
    Picture p(4096, 4096);
    for (std::uint32_t i = 0; i < (1u << 24); ++i) p.pixels[i] = 0xFF000000u | i;
    return p;
}

inline std::string Describe(ColorValue c) {
    char text[48];
    std::snprintf(text, sizeof text, "(%d, %d, %d)", RedOf(c), GreenOf(c), BlueOf(c));
    return text;
}

// Equal pixel for pixel, padding included; the first difference is named by position.
inline ::testing::AssertionResult SamePixels(const Picture& expected, const Picture& actual) {
    if (expected.pixels.size() != actual.pixels.size())
        return ::testing::AssertionFailure() << "pictures differ in size";
    for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
        if (expected.pixels[i] == actual.pixels[i]) continue;
        char text[160];
        std::snprintf(text, sizeof text, "pixel (%d, %d): expected 0x%08X, actual 0x%08X",
                      static_cast<int>(i % expected.stride), static_cast<int>(i / expected.stride),
                      expected.pixels[i], actual.pixels[i]);
        return ::testing::AssertionFailure() << text;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace sorvenal::test
