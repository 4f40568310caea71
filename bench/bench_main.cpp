#include "bench/bench_main.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMap>
#include <cstdint>
#include <cstring>
#include <vector>

namespace sorvenal::bench {
namespace {

// Filled by the benchmarks' static initialisers, so made on first use.
QMap<QString, Run>& Runs() {
    static QMap<QString, Run> runs;
    return runs;
}

}  // namespace

bool AddRun(const char* flag, Run run) {
    Runs().insert(QString::fromLatin1(flag), run);
    return true;
}

void MemcpyFrame(benchmark::State& state, int width, int height) {
    std::vector<std::uint32_t> from(static_cast<std::size_t>(width) * height, 0x12345678u);
    std::vector<std::uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

}  // namespace sorvenal::bench

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    using sorvenal::bench::Runs;
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty() && !args[0].isEmpty() && Runs().contains(args[0]))
        return Runs().value(args[0])(args.mid(1));
    if (Runs().contains(QString())) return Runs().value(QString())(args);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
