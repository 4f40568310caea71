// Writes the fuzz seed corpus: OUT/picture holds small pictures of every kind the reader walks
// (and a few cut short), OUT/args command lines of the retouch tool. Nothing is downloaded.
#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <cstdio>
#include <initializer_list>

#include "platform/picture_io.h"
#include "tools/gif_writer.h"
#include "tools/photo_writers.h"

namespace {

QImage Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * 37 + y * 11) & 255));
    return image;
}

// The picture with a colour profile, which the writers embed.
QImage Tagged(QImage image, const QColorSpace& space) {
    image.setColorSpace(space);
    return image;
}

QByteArray Encode(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(85);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

void Le(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A BMP with a 40-byte information header (or the 12-byte core header), built by hand so that
// run-length, bit-field, top-down and core-header files are in the corpus too.
QByteArray Bmp(qint32 width, qint32 height, int bits, quint32 compression,
               const QByteArray& palette, const QByteArray& pixels, bool core = false) {
    QByteArray info;
    if (core) {
        Le(info, 12, 4);
        Le(info, static_cast<quint32>(width), 2);
        Le(info, static_cast<quint32>(height), 2);
        Le(info, 1, 2);
        Le(info, bits, 2);
    } else {
        Le(info, 40, 4);
        Le(info, static_cast<quint32>(width), 4);
        Le(info, static_cast<quint32>(height), 4);
        Le(info, 1, 2);
        Le(info, bits, 2);
        Le(info, compression, 4);
        Le(info, pixels.size(), 4);
        Le(info, 2835, 4);
        Le(info, 2835, 4);
        Le(info, bits <= 8 ? palette.size() / 4 : 0, 4);
        Le(info, 0, 4);
    }
    const quint32 offset = 14 + info.size() + palette.size();
    QByteArray out("BM");
    Le(out, offset + pixels.size(), 4);
    Le(out, 0, 4);
    Le(out, offset, 4);
    return out + info + palette + pixels;
}

QByteArray Palette(std::initializer_list<quint32> colours) {
    QByteArray out;
    for (const quint32 c : colours) Le(out, c, 4);
    return out;
}

// An EXIF block that says "rotate 90 degrees", placed right after the JPEG's start marker.
QByteArray WithOrientation(const QByteArray& jpeg, int orientation) {
    QByteArray exif("Exif\0\0II*\0", 10);
    Le(exif, 8, 4);  // first directory
    Le(exif, 1, 2);  // one entry
    Le(exif, 0x0112, 2);
    Le(exif, 3, 2);  // SHORT
    Le(exif, 1, 4);
    Le(exif, static_cast<quint32>(orientation), 4);
    Le(exif, 0, 4);  // no next directory
    QByteArray segment("\xFF\xE1", 2);
    segment.append(static_cast<char>((exif.size() + 2) >> 8));
    segment.append(static_cast<char>((exif.size() + 2) & 0xFF));
    return jpeg.left(2) + segment + exif + jpeg.mid(2);
}

// One command line as the fuzz target takes it: arguments separated by NUL bytes.
QByteArray Arguments(std::initializer_list<const char*> words) {
    QByteArray out;
    for (const char* word : words) {
        if (!out.isEmpty()) out.append('\0');
        out.append(word);
    }
    return out;
}

bool Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString pictures = out + "/picture", args = out + "/args";
    if (!QDir().mkpath(pictures) || !QDir().mkpath(args)) return 1;

    const QImage small = Gradient(13, 7);
    bool ok = sorvenal::WriteBmp24(small, pictures + "/bmp24.bmp", true).ok();
    const QByteArray bmp24 = [&] {
        QFile f(pictures + "/bmp24.bmp");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QImage alpha = small.convertToFormat(QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(10, 20, 30, 40));
    const QByteArray jpeg = Encode(Gradient(24, 16), "jpeg");
    const QByteArray gif = sorvenal::EncodeGif(small);
    const QByteArray heic = sorvenal::EncodeHeif(Gradient(24, 16));
    const QByteArray jxl = sorvenal::EncodeJxl(Gradient(24, 16));

    const QByteArray grey = Palette({0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF});
    // Runs, an absolute run, end of line, a delta, end of picture.
    const QByteArray rle8 = QByteArray::fromHex(
        "0401"
        "0000"
        "000400010203"
        "0000"
        "0203"
        "00020100"
        "0102"
        "0001");
    const QByteArray rle4 = QByteArray::fromHex(
        "0412"
        "0000"
        "00031230"
        "0100"
        "0001");
    const QByteArray masks565 = Palette({0xF800, 0x07E0, 0x001F});
    const QByteArray rgb565 = QByteArray::fromHex(
        "1f00e007"
        "00f8ffff");
    const QByteArray pixels24 = QByteArray::fromHex(
        "0000ff00ff000000"
        "ff0000ffffff0000");

    const struct {
        const char* name;
        QByteArray bytes;
    } seeds[] = {
        {"qt24.bmp", Encode(small, "bmp")},
        {"alpha.bmp", Encode(alpha, "bmp")},
        {"indexed8.bmp", Encode(small.convertToFormat(QImage::Format_Indexed8), "bmp")},
        {"mono.bmp", Encode(small.convertToFormat(QImage::Format_Mono), "bmp")},
        {"rle8.bmp", Bmp(4, 3, 8, 1, grey, rle8)},
        {"rle4.bmp", Bmp(4, 2, 4, 2, grey, rle4)},
        {"bitfields16.bmp", Bmp(2, 2, 16, 3, masks565, rgb565)},
        {"topdown24.bmp", Bmp(2, -2, 24, 0, QByteArray(), pixels24)},
        {"core24.bmp", Bmp(2, 2, 24, 0, QByteArray(), pixels24, true)},
        {"baseline.jpg", jpeg},
        {"progressive.jpg", Encode(Gradient(24, 16), "jpeg", true)},
        {"grey.jpg", Encode(small.convertToFormat(QImage::Format_Grayscale8), "jpeg")},
        {"rotated.jpg", WithOrientation(jpeg, 6)},
        {"frame.gif", gif},
        {"cut.bmp", bmp24.left(bmp24.size() - 5)},
        {"cut.jpg", jpeg.left(jpeg.size() - 10)},
        {"cut.gif", gif.left(gif.size() - 4)},
        {"p3.jpg", Encode(Tagged(Gradient(24, 16), QColorSpace::DisplayP3), "jpeg")},
        {"adobe.png", Encode(Tagged(Gradient(24, 16), QColorSpace::AdobeRgb), "png")},
        {"small.heic", heic},
        {"subsampled-p3.heic",
         sorvenal::EncodeHeif(Gradient(24, 16),
                              {.subsampled = true, .nclxPrimaries = 12, .nclxTransfer = 16})},
        {"turned.heic",
         sorvenal::EncodeHeif(
             Gradient(24, 16),
             {.orientation = 6, .exif = sorvenal::ExifWithOrientation(8), .thumbnailSide = 8})},
        {"deep.heic", sorvenal::EncodeHeif(Gradient(16, 16).convertToFormat(QImage::Format_RGBA64),
                                           {.bits = 10})},
        {"alpha.heic", sorvenal::EncodeHeif(alpha, {.alpha = true})},
        {"small.avif", sorvenal::EncodeHeif(Gradient(24, 16), {.av1 = true})},
        {"small.jxl", jxl},
        {"lossless.jxl",
         sorvenal::EncodeJxl(Gradient(24, 16), {.lossless = true, .orientation = 5})},
        {"cut.heic", heic.left(heic.size() - 10)},
        {"cut.jxl", jxl.left(jxl.size() - 10)},
    };
    for (const auto& seed : seeds)
        ok = !seed.bytes.isEmpty() && Put(pictures + "/" + seed.name, seed.bytes) && ok;

    const QByteArray lines[] = {
        Arguments({"in.jpg", "out.bmp", "gamma"}),
        Arguments({"--force", "in.jpg", "out.bmp", "skin=10,-20", "skin-normal=0,0", "sharpen"}),
        Arguments({"--", "-in", "out", "circle-red=-5,6,7", "spotlight=1000000,-1000000,1"}),
        Arguments({"a", "b", "eye-blue=1,2,3", "circle-picture=4,5,6", "circle-light=0,0,1"}),
        Arguments({"--help"}),
        Arguments({"a", "b", "backlight-special", "contrast-up", "whiten", "lighten=1"}),
    };
    int index = 0;
    for (const QByteArray& line : lines)
        ok = Put(args + "/" + QString::number(++index), line) && ok;
    if (!ok) std::fprintf(stderr, "some seeds could not be made\n");
    return ok ? 0 : 1;
}
