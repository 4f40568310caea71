#pragma once
// Peak memory as the benchmarks report it: the process's peak resident size against frames.
#include <sys/resource.h>

namespace sorvenal::bench {

inline double PeakResidentMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// One 32-bit frame of the picture.
inline double FrameMiB(int width, int height) { return 4.0 * width * height / (1024.0 * 1024.0); }

}  // namespace sorvenal::bench
