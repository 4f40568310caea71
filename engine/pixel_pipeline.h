#pragma once
// The two shared passes over the canvas: the per-pixel colour pass and the byte pass.
#include <cstdint>
#include <functional>

#include "engine/canvas_view.h"
#include "engine/color_value.h"

namespace sorvenal {

// Reports rows done out of rows in all. May be called from any worker thread of a pass,
// so it must be cheap and thread-safe (the window stores it in an atomic).
using Progress = std::function<void(int done, int total)>;

using ColorFunction = ColorValue (*)(ColorValue);
using ByteFunction = int (*)(int);

// A per-channel table: entry v of each channel is what the scalar function makes of v.
struct ChannelTables {
    std::uint8_t red[256];
    std::uint8_t green[256];
    std::uint8_t blue[256];
};
// Maps pixels from..to-1 of a row through the tables.
inline void MapRow(const ChannelTables& t, std::uint32_t* row, int from, int to) {
    for (int x = from; x < to; ++x) {
        const std::uint32_t p = row[x];
        row[x] = 0xFF000000u | (std::uint32_t{t.red[(p >> 16) & 0xFFu]} << 16) |
                 (std::uint32_t{t.green[(p >> 8) & 0xFFu]} << 8) | t.blue[p & 0xFFu];
    }
}
// Fast pass for pure per-channel functions; rows are shared between threads.
void RunTablePass(const CanvasView& canvas, const ChannelTables& tables,
                  const Progress& progress = {});
// Builds the tables of a channel-wise colour function (any ColorValue(ColorValue) callable):
// entry v of a channel is that channel of fn(v, v, v). Only valid where each output channel
// depends on the same input channel alone.
template <typename Fn>
ChannelTables TablesFromChannelFunction(const Fn& fn) {
    ChannelTables t{};
    for (int v = 0; v < 256; ++v) {
        const ColorValue out = fn(RGB(v, v, v));
        t.red[v] = static_cast<std::uint8_t>(RedOf(out));
        t.green[v] = static_cast<std::uint8_t>(GreenOf(out));
        t.blue[v] = static_cast<std::uint8_t>(BlueOf(out));
    }
    return t;
}
// Builds the tables of a byte function (same curve for every channel).
ChannelTables TablesFromByteFunction(ByteFunction fn);
// Applies `then` after `first`, entry by entry: one table pass does the work of two.
ChannelTables ChainTables(const ChannelTables& first, const ChannelTables& then);

// Splits rows 0..rows-1 into bands and runs band(begin, end) for each, sharing them between
// worker threads when the picture is large enough to pay for them. The band function must be
// safe to run concurrently on disjoint rows. Progress counts rows of finished bands.
using RowBandFunction = std::function<void(int begin, int end)>;
void ForEachRowBand(int rows, long long pixels, const RowBandFunction& band,
                    const Progress& progress = {});

}  // namespace sorvenal
