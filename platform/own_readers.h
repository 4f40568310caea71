#pragma once
// Readers for the formats Qt has no decoder for (HEIF and AVIF, JPEG XL), over the file's bytes.
// Each checks the size its header claims against our limits before decoding anything, applies
// the file's own orientation once, and gives Format_RGB32 as the Qt formats do.
#include <QSize>
#include <QtGlobal>

#include "platform/picture_decode.h"

namespace sorvenal {

ReadResult ReadHeif(const uchar* data, qint64 size, const ReadOptions& options);
// From the embedded thumbnail when it has enough pixels for the box, else the whole picture.
PreviewResult PreviewHeif(const uchar* data, qint64 size, const QSize& box,
                          const ReadOptions& options);

ReadResult ReadJxl(const uchar* data, qint64 size, const ReadOptions& options);

}  // namespace sorvenal
