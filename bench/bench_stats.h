#pragma once
// What the benchmarks share for their own figures: milliseconds and medians.
#include <algorithm>
#include <chrono>
#include <vector>

namespace sorvenal::bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The middle sample; the mean of the two middle ones for an even count.
inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

}  // namespace sorvenal::bench
