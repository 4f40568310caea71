// Engine passes on a 6000 x 4000 picture, each against a plain copy of the same pixels.
// One pre-touched buffer is reused: a fresh 96 MB allocation would add page faults to every run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "effects/circle_effects.h"
#include "engine/auto_retouch.h"
#include "engine/retouch_commands.h"

namespace {

using namespace sorvenal;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr std::int64_t kPixels = std::int64_t{kWidth} * kHeight;

struct Buffers {
    std::vector<std::uint32_t> original;
    std::vector<std::uint32_t> canvas;
    Buffers() : original(kPixels), canvas(kPixels) {
        // Photo-like content: smooth gradients with a little grain, so branches behave as on
        // real pictures.
        std::uint32_t noise = 12345;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int grain = static_cast<int>(noise >> 28) - 8;
                const int r = (x * 255 / kWidth + grain) & 255;
                const int g = (y * 255 / kHeight + grain) & 255;
                const int b = ((x + y) * 255 / (kWidth + kHeight) - grain) & 255;
                original[std::size_t(y) * kWidth + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
            }
        std::memcpy(canvas.data(), original.data(), kPixels * 4);
    }
    CanvasView view() { return {canvas.data(), kWidth, kHeight, kWidth}; }
    void Restore() { std::memcpy(canvas.data(), original.data(), kPixels * 4); }
};

Buffers& Shared() {
    static Buffers buffers;
    return buffers;
}

void SetPixelCounters(benchmark::State& state) {
    state.counters["ns_per_px"] = benchmark::Counter(
        static_cast<double>(kPixels) * 1e-9,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Memcpy(benchmark::State& state) {
    Buffers& b = Shared();
    for (auto _ : state) {
        std::memcpy(b.canvas.data(), b.original.data(), kPixels * 4);
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state);
}

// Each run starts from the original picture, restored outside the timed part.
template <typename Fn>
void RunOnPicture(benchmark::State& state, Fn&& fn) {
    Buffers& b = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        b.Restore();
        state.ResumeTiming();
        fn(b.view());
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state);
}

void BM_Command(benchmark::State& state, RetouchCommand command) {
    RunOnPicture(state, [command](const CanvasView& v) { RunRetouchCommand(v, command); });
}

void BM_AutoRetouch(benchmark::State& state) {
    SkinState skin;
    const ColorParts part{180, 140, 100};  // spread 80: curve, stretch and four byte passes
    MeasureSkinSample(skin, {part, part, part, part, part});
    RunOnPicture(state, [&skin](const CanvasView& v) { ApplyAutoRetouch(v, skin); });
}

void BM_Circle(benchmark::State& state, CircleEffect effect) {
    const Circle circle{3000, 2000, 1200};
    RunOnPicture(state, [&](const CanvasView& v) {
        RandomSequence random;
        RunCircleEffect(v, effect, circle, random);
    });
}

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
#define SORVENAL_COMMAND(name)                                \
    BENCHMARK_CAPTURE(BM_Command, name, RetouchCommand::name) \
        ->Unit(benchmark::kMillisecond)                       \
        ->UseRealTime()
SORVENAL_COMMAND(Darken);
SORVENAL_COMMAND(Lighten);
SORVENAL_COMMAND(ContrastUp);
SORVENAL_COMMAND(ContrastDown);
SORVENAL_COMMAND(Gamma);
SORVENAL_COMMAND(Backlight);
SORVENAL_COMMAND(BacklightSpecial);
SORVENAL_COMMAND(Whiten);
SORVENAL_COMMAND(Saturate);
SORVENAL_COMMAND(Desaturate);
SORVENAL_COMMAND(Sharpen);
BENCHMARK(BM_AutoRetouch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Circle, Spotlight, CircleEffect::Spotlight)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Circle, Picture, CircleEffect::Picture)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Console output as usual, then one summary line per benchmark: median time, time per pixel,
// and the ratio to the copy measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            // Real time per iteration in milliseconds (every benchmark here uses that unit).
            seconds_[name] = run.GetAdjustedRealTime() / 1e3;
            order_.push_back(name);
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto copy = seconds_.find("BM_Memcpy");
        std::printf("\n%-34s %10s %10s %10s\n", "pass (6000x4000)", "median ms", "ns/pixel",
                    "x memcpy");
        for (const std::string& name : order_) {
            const double s = seconds_[name];
            const double ratio = copy != seconds_.end() ? s / copy->second : 0;
            std::printf("%-34s %10.2f %10.3f %10.2f\n", name.c_str(), s * 1e3,
                        s * 1e9 / static_cast<double>(kPixels), ratio);
        }
    }

private:
    std::map<std::string, double> seconds_;
    std::vector<std::string> order_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Shared();  // allocate and touch before anything is timed
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
