#pragma once
// The ICC profile a JPEG, PNG or WebP file carries, as bytes, for the profiles Qt's readers do
// not parse (lookup tables, CMYK, faults it will not pass).
#include <QByteArray>

namespace sorvenal {

// Reads the open file through its descriptor, without moving its position; empty when the
// file has no profile, or a damaged one. format is the format's name ("jpeg", "png", "webp").
QByteArray EmbeddedIcc(int fd, const QByteArray& format);

// The same over bytes in memory.
QByteArray EmbeddedIcc(const QByteArray& bytes, const QByteArray& format);

}  // namespace sorvenal
