#pragma once
// The EXIF a saved picture carries over from its source file: read from the source at save
// time, and rewritten for the new picture. A block here is the TIFF structure itself ("II*\0"
// or "MM\0*" first); every offset inside it counts from its first byte, so it moves as bytes.
#include <QByteArray>

#include "platform/file_system.h"

namespace sorvenal {

// The block of a JPEG's APP1, a HEIF/AVIF's EXIF item or a JPEG XL's "Exif" box; empty when the
// file has none, is of another kind, or cannot be read.
QByteArray ReadExifBlock(const NativePath& path);

// The source's block fit for the saved picture: orientation 1 (its pixels are upright), the
// width and height tags set to the saved size, and no thumbnail (it shows the picture before
// the retouch). Empty when the block is damaged: then the picture is saved without it.
QByteArray ExifForSavedPicture(const QByteArray& block, int width, int height);

// The source file's EXIF fit for a saved picture of that size: empty for a file without EXIF
// and for a damaged block.
QByteArray ExifCarriedFrom(const NativePath& source, int width, int height);

// The block after a container's 4-byte big-endian offset to its TIFF header (HEIF, JPEG XL);
// empty when the offset leads nowhere.
QByteArray ExifAfterOffsetPrefix(const QByteArray& data);

}  // namespace sorvenal
