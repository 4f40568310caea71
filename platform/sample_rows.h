#pragma once
// Decoded samples from the decoders Qt has none for, made into the canvas's Format_RGB32.
#include <QImage>

namespace sorvenal {

// Rows of interleaved RGB or RGBA samples: bytes, or native 16-bit words holding `bits` bits.
struct SampleRows {
    const uchar* data = nullptr;
    qsizetype stride = 0;  // bytes from one row to the next
    int width = 0;
    int height = 0;
    int channels = 3;  // 3 (RGB) or 4 (RGBA)
    int bits = 8;      // 8, or 9 to 16
    bool premultiplied = false;
};

// Format_RGB32 with every sample rounded to 8 bits; alpha is composed as Qt composes a PNG's.
// Null when there is no memory for it.
QImage ToRgb32(const SampleRows& rows, bool hugePages);

}  // namespace sorvenal
