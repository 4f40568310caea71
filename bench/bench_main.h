#pragma once
// The benchmarks' one main (bench_main.cpp): Qt on the offscreen platform, then the run the
// first argument names, else the benchmark's default run, else its Google Benchmark ones.
#include <QStringList>

namespace benchmark {
class State;
}

namespace sorvenal::bench {

// A run of its own: the arguments after its flag in, the exit status out.
using Run = int (*)(const QStringList& args);

// Registers `run` under `flag` ("--peak-memory"); under an empty flag it is the default run and
// gets all the arguments. Returns true, for a namespace-scope initialiser.
bool AddRun(const char* flag, Run run);

// A memcpy of one frame of 32-bit pixels each iteration: the yardstick of the ratios.
void MemcpyFrame(benchmark::State& state, int width, int height);

}  // namespace sorvenal::bench
