#pragma once
// The whole-number steps the colour functions are defined with.
#include <cmath>

namespace sorvenal {

// Rounds down (toward minus infinity), not toward zero.
inline int Floor(double v) { return static_cast<int>(std::floor(v)); }

// Rounds to the nearest whole number, a half to the even one. Values beyond a billion (and NaN)
// end there, far outside any picture or screen, instead of overflowing an int.
inline int RoundHalfEven(double v) {
    constexpr double kLimit = 1e9;
    if (!(v > -kLimit)) return -static_cast<int>(kLimit);
    if (!(v < kLimit)) return static_cast<int>(kLimit);
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace sorvenal
