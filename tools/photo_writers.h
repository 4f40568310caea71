#pragma once
// HEIC, AVIF and JPEG XL writing for the tests, the fuzz seeds and the benchmarks (Qt writes
// none of them): through libheif's and libjxl's own encoders, into memory.
#include <QByteArray>
#include <QImage>

namespace sorvenal {

struct HeifWriting {
    bool av1 = false;    // AVIF; else HEIC
    int bits = 8;        // 8, or 10 from a 16-bit picture's top bits
    bool alpha = false;  // keep the picture's alpha channel
    int quality = 90;
    // Chroma at half the resolution both ways (4:2:0), as phones write; else the encoder's choice.
    bool subsampled = false;
    // 1 to 8 as in EXIF: written as the file's own rotation and mirror boxes.
    int orientation = 1;
    QByteArray exif = {};  // a TIFF block stored as the picture's EXIF, orientation and all
    // A thumbnail at most this many pixels on a side, made from `thumbnailFrom` (else from the
    // picture itself); 0 for none.
    int thumbnailSide = 0;
    QImage thumbnailFrom = {};
    // An nclx colour box of these H.273 codes; 0 leaves the encoder's default.
    int nclxPrimaries = 0;
    int nclxTransfer = 0;
};
// Empty when the encoder refuses.
QByteArray EncodeHeif(const QImage& picture, const HeifWriting& writing = {});

struct JxlWriting {
    bool lossless = false;
    int bits = 8;         // 8, or 9 to 16 taken from a 16-bit picture's top bits
    int orientation = 1;  // 1 to 8 as in EXIF, stored in the codestream
    bool alpha = false;
    QByteArray exif = {};  // a TIFF block, stored in an "Exif" box (with the offset before it)
};
QByteArray EncodeJxl(const QImage& picture, const JxlWriting& writing = {});

// A TIFF block (as EXIF holds) with just an orientation, 1 to 8.
QByteArray ExifWithOrientation(int orientation);

}  // namespace sorvenal
