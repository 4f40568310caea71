#pragma once
// A small GIF89a encoder: Qt reads GIF but cannot write it, and the samples and tests need some.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace sorvenal {

// One frame, LZW-compressed. A picture of more than 256 colours is reduced to 256 first;
// an 8-bit indexed picture keeps its own colour table. Null or over 65535 per side: empty.
QByteArray EncodeGif(const QImage& picture);
// Writes EncodeGif's bytes; false when there is nothing to write or the file cannot be written.
bool WriteGif(const QImage& picture, const QString& path);

}  // namespace sorvenal
