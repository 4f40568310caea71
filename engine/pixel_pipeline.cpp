#include "engine/pixel_pipeline.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace sorvenal {

namespace {

// Below this many pixels a thread start costs more than it saves.
constexpr long long kThreadedPixels = 1LL << 18;
// Bands per pass: enough for even sharing and a smooth progress bar, few enough to be cheap.
constexpr int kBandsPerPass = 64;

int WorkerCount() {
    const unsigned hw = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(hw, 1u, 4u));
}

}  // namespace

void ForEachRowBand(int rows, long long pixels, const RowBandFunction& band,
                    const Progress& progress) {
    if (rows <= 0) return;
    const int bandRows = std::max(1, (rows + kBandsPerPass - 1) / kBandsPerPass);
    std::atomic<int> next{0};
    std::mutex progressMutex;
    int reported = 0;
    int done = 0;

    auto work = [&] {
        for (;;) {
            const int begin = next.fetch_add(bandRows);
            if (begin >= rows) return;
            const int end = std::min(rows, begin + bandRows);
            band(begin, end);
            if (progress) {
                // Serialised and monotonic, so the callback sees a steadily growing count.
                std::lock_guard lock(progressMutex);
                done += end - begin;
                if (done > reported) {
                    reported = done;
                    progress(done, rows);
                }
            }
        }
    };

    const int workers = pixels >= kThreadedPixels ? WorkerCount() : 1;
    std::vector<std::thread> threads;
    for (int i = 1; i < workers; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no thread to be had: the calling thread does the rest
        }
    }
    work();
    for (auto& t : threads) t.join();
}

void RunTablePass(const CanvasView& canvas, const ChannelTables& tables, const Progress& progress) {
    if (canvas.empty()) return;
    const auto band = [&canvas, &tables](int begin, int end) {
        for (int y = begin; y < end; ++y) MapRow(tables, canvas.row(y), 0, canvas.width);
    };
    ForEachRowBand(canvas.height, static_cast<long long>(canvas.width) * canvas.height, band,
                   progress);
}

ChannelTables TablesFromByteFunction(ByteFunction fn) {
    // Byte functions keep to 0-255, so assembling their three results loses nothing.
    return TablesFromChannelFunction(
        [fn](ColorValue c) { return RGB(fn(RedOf(c)), fn(GreenOf(c)), fn(BlueOf(c))); });
}

ChannelTables ChainTables(const ChannelTables& first, const ChannelTables& then) {
    ChannelTables t{};
    for (int v = 0; v < 256; ++v) {
        t.red[v] = then.red[first.red[v]];
        t.green[v] = then.green[first.green[v]];
        t.blue[v] = then.blue[first.blue[v]];
    }
    return t;
}

}  // namespace sorvenal
