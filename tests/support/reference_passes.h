#pragma once
// The engine's passes done literally, the definition the fast table passes are checked against:
// rows top to bottom, each row left to right, reading and writing the canvas in place.
#include "engine/auto_retouch.h"
#include "engine/canvas_view.h"
#include "engine/pixel_pipeline.h"

namespace sorvenal::test {

// Neighbourhood form: the function reads the working copy itself.
using NeighbourhoodFunction = ColorValue (*)(const CanvasView& work, int x, int y);

void RunPixelEffect(const CanvasView& canvas, ColorFunction fn, const Progress& progress = {});
// Neighbours above and to the left already hold their new values when fn reads them.
void RunPixelEffect(const CanvasView& canvas, NeighbourhoodFunction fn,
                    const Progress& progress = {});
void RunByteEffect(const CanvasView& canvas, ByteFunction fn, const Progress& progress = {});

// The automatic retouch step by step: the remapping pass, then each byte pass in turn.
void ApplyAutoRetouchReference(const CanvasView& canvas, const SkinState& state);

}  // namespace sorvenal::test
