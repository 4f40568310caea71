#pragma once
// A phone's EXIF block for the tests: a date taken, a camera, a place, an orientation, the
// stored size, a maker's note and a thumbnail in a second IFD, in either byte order.
#include <QByteArray>
#include <QImage>

namespace sorvenal::test {

struct PhoneExif {
    bool bigEndian = false;
    int orientation = 6;
    int width = 4032;  // as the camera stored it
    int height = 3024;
    bool thumbnail = true;
};
inline constexpr const char* kDateTaken = "2024:07:14 18:42:07";
inline constexpr const char* kMake = "Sorvenal Test Camera Co.";
inline constexpr const char* kModel = "ST-1";

QByteArray PhoneExifBlock(const PhoneExif& exif = {});
// A JPEG of the picture with the block in its APP1 segment, as a phone writes it.
QByteArray JpegWithExif(const QImage& picture, const QByteArray& block);
// The block of a PNG's eXIf chunk; empty when it has none.
QByteArray PngExifChunk(const QByteArray& png);

}  // namespace sorvenal::test
