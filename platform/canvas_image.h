#pragma once
// The engine's view of a picture's pixels.
#include <QImage>
#include <cstdint>

#include "engine/canvas_view.h"

namespace sorvenal {

// Format_RGB32 pixels; writing through the view changes only this picture, as the pixels are
// detached from any other holder first. A null picture gives an empty view.
inline CanvasView ViewOf(QImage& image) {
    if (image.isNull()) return {};
    uchar* bits = image.bits();
    return {reinterpret_cast<std::uint32_t*>(bits), image.width(), image.height(),
            image.bytesPerLine() / 4};
}

}  // namespace sorvenal
