#pragma once
// What a decoded picture's numbers mean, and their conversion to sRGB, which is what every
// later stage (preview, retouch, views, saving) takes them to be.
#include <QByteArray>
#include <QColorSpace>
#include <QImage>

namespace sorvenal {

// The colour description a file carried. Empty means sRGB.
struct PictureColour {
    QColorSpace space;  // parsed already (by Qt's readers, or made from a HEIF's nclx box)
    QByteArray icc;     // the raw profile, for what Qt cannot parse
    // High dynamic range transfer of an nclx box: the samples are tone-mapped to sRGB's
    // transfer first; `space` then holds the primaries with sRGB's transfer.
    enum class Hdr { None, Pq, Hlg } hdr = Hdr::None;
    bool empty() const { return !space.isValid() && icc.isEmpty() && hdr == Hdr::None; }
};

// The numbers of an nclx box (ITU-T H.273 codes) as a colour description; primaries given as
// chromaticities, as the HEIF reader has them.
struct Nclx {
    int primaries = 2;  // 2 = unspecified
    int transfer = 2;
    double redX = 0, redY = 0, greenX = 0, greenY = 0, blueX = 0, blueY = 0, whiteX = 0, whiteY = 0;
};
PictureColour ColourOfNclx(const Nclx& nclx);

// Converts a Format_RGB32 picture to sRGB in place, in row bands on every core. A description
// that cannot be used (broken, not RGB) leaves the picture as it is: taken as sRGB.
void ConvertToSrgb(QImage& image, const PictureColour& colour);

}  // namespace sorvenal
