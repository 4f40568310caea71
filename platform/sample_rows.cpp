#include "platform/sample_rows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/pixel_pipeline.h"
#include "platform/huge_page_image.h"

namespace sorvenal {
namespace {

// Nearest 8-bit level for every value of `bits` bits (not a shift, which would truncate).
std::vector<uchar> RoundingTable(int bits) {
    const int top = (1 << bits) - 1;
    std::vector<uchar> table(static_cast<size_t>(top) + 1);
    for (int v = 0; v <= top; ++v) table[static_cast<size_t>(v)] = uchar((v * 255 + top / 2) / top);
    return table;
}

// Samples as bytes, alpha kept, for Qt to compose: one row of RGBA8888 at a time.
void RowToRgba(const SampleRows& rows, const std::vector<uchar>& table, int y, uchar* out) {
    const uchar* in = rows.data + rows.stride * y;
    const qsizetype n = qsizetype{rows.width} * rows.channels;
    if (rows.bits == 8) {
        std::memcpy(out, in, static_cast<size_t>(n));
        return;
    }
    const int top = (1 << rows.bits) - 1;
    for (qsizetype i = 0; i < n; ++i) {
        std::uint16_t v;
        std::memcpy(&v, in + 2 * i, 2);
        out[i] = table[std::min<int>(v, top)];
    }
}

void RowToRgb32(const SampleRows& rows, const std::vector<uchar>& table, int y, QRgb* out) {
    const uchar* in = rows.data + rows.stride * y;
    const int c = rows.channels;
    if (rows.bits == 8) {
        for (int x = 0; x < rows.width; ++x, in += c) out[x] = qRgb(in[0], in[1], in[2]);
        return;
    }
    const int top = (1 << rows.bits) - 1;
    auto level = [&](qsizetype i) {
        std::uint16_t v;
        std::memcpy(&v, in + 2 * i, 2);
        return table[std::min<int>(v, top)];
    };
    for (int x = 0; x < rows.width; ++x) {
        const qsizetype at = qsizetype{x} * c;
        out[x] = qRgb(level(at), level(at + 1), level(at + 2));
    }
}

}  // namespace

QImage ToRgb32(const SampleRows& rows, bool hugePages) {
    const std::vector<uchar> table =
        rows.bits > 8 ? RoundingTable(rows.bits) : std::vector<uchar>();
    const long long pixels = static_cast<long long>(rows.width) * rows.height;
    if (rows.channels == 4) {
        // The same conversion a PNG with alpha goes through, so both show on one background.
        QImage rgba(
            rows.width, rows.height,
            rows.premultiplied ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBA8888);
        if (rgba.isNull()) return QImage();
        ForEachRowBand(rows.height, pixels, [&](int begin, int end) {
            for (int y = begin; y < end; ++y) RowToRgba(rows, table, y, rgba.scanLine(y));
        });
        rgba.convertTo(QImage::Format_RGB32);
        return rgba;
    }
    QImage image = hugePages ? HugePageImage(rows.width, rows.height)
                             : QImage(rows.width, rows.height, QImage::Format_RGB32);
    if (image.isNull()) return image;
    ForEachRowBand(rows.height, pixels, [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
            RowToRgb32(rows, table, y, reinterpret_cast<QRgb*>(image.scanLine(y)));
    });
    return image;
}

}  // namespace sorvenal
