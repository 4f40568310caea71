#pragma once
// The whole-number steps the colour functions are defined with.
#include <cmath>

namespace sorvenal {

// Rounds down (toward minus infinity), not toward zero.
inline int Floor(double v) { return static_cast<int>(std::floor(v)); }

}  // namespace sorvenal
