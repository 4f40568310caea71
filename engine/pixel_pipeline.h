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
// Neighbourhood form: the function reads the working copy itself.
using NeighbourhoodFunction = ColorValue (*)(const CanvasView& work, int x, int y);
using ByteFunction = int (*)(int);

// Reference passes with exactly the defined visiting order: rows top to bottom, each row left
// to right, reading and writing the canvas in place.
void RunPixelEffect(const CanvasView& canvas, ColorFunction fn, const Progress& progress = {});
void RunPixelEffect(const CanvasView& canvas, NeighbourhoodFunction fn,
                    const Progress& progress = {});
void RunByteEffect(const CanvasView& canvas, ByteFunction fn, const Progress& progress = {});

// A per-channel table: entry v of each channel is what the scalar function makes of v.
struct ChannelTables {
    std::uint8_t red[256];
    std::uint8_t green[256];
    std::uint8_t blue[256];
};
// Fast pass for pure per-channel functions; rows are shared between threads.
void RunTablePass(const CanvasView& canvas, const ChannelTables& tables,
                  const Progress& progress = {});
// Builds the tables of a byte function (same curve for every channel).
ChannelTables TablesFromByteFunction(ByteFunction fn);

}  // namespace sorvenal
