// JPEG and PNG writing and the EXIF they carry over: pixels back within JPEG's error (and
// bit-exact for PNG), the chroma sampling by quality, the bands joined into one scan, sRGB
// tags, and the source's EXIF with orientation 1, the saved size and no thumbnail, read back
// by a second reader where installed.
#include "platform/picture_writers.h"

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

#include "platform/exif_block.h"
#include "tests/support/exif_builder.h"
#include "tests/support/test_pictures.h"
#include "tools/photo_writers.h"

namespace sorvenal {
namespace {

using test::FirstDifference;

// Smooth shading with some texture, as a photo has; every row and column differs.
QImage PhotoPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 255 / width + (x * y) % 5) & 255, y * 255 / height,
                          128 + int(60 * std::sin((x + 2 * y) / 37.0)));
    }
    return image;
}

double Psnr(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int d[] = {qRed(ra[x]) - qRed(rb[x]), qGreen(ra[x]) - qGreen(rb[x]),
                             qBlue(ra[x]) - qBlue(rb[x])};
            for (int v : d) sum += v * v;
        }
    }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The luma sampling factors byte of the first frame header (0x11 is 4:4:4, 0x22 is 4:2:0).
int LumaSampling(const QByteArray& jpeg) {
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    return frame < 0 ? -1 : uchar(jpeg.at(frame + 11));
}

// EXIF fields as ImageMagick reads them: a reader that shares no code with ours.
QString Identify(const QString& path, const QString& format) {
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (identify.isEmpty()) return QStringLiteral("<no identify>");
    QProcess process;
    process.start(identify, {QStringLiteral("-format"), format, path});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

class PictureWritersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }
    NativePath Path(const char* name) const { return QFile::encodeName(tmp.filePath(name)); }
    QString Write(const char* name, const QByteArray& bytes) const {
        QFile file(tmp.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir tmp;
};

TEST_F(PictureWritersTest, JpegReopensAtItsSizeWithinJpegsErrorAtEitherSampling) {
    struct Case {
        QSize size;  // small: one band; large: bands on both cores joined by restart markers
        int quality;
        int sampling;
        double minPsnr;
    } cases[] = {
        {{37, 21}, 92, 0x11, 40},     {{37, 21}, 60, 0x22, 30},      {{1501, 1203}, 92, 0x11, 40},
        {{1501, 1203}, 89, 0x22, 30}, {{1501, 1203}, 100, 0x11, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.size.width() << "x" << c.size.height() << " q" << c.quality);
        const QImage picture = PhotoPicture(c.size.width(), c.size.height());
        QFile::remove(tmp.filePath("p.jpg"));
        ASSERT_TRUE(WriteJpeg(picture, Path("p.jpg"), c.quality, {}, false).ok());
        const QByteArray jpeg = Contents(tmp.filePath("p.jpg"));
        EXPECT_EQ(LumaSampling(jpeg), c.sampling);
        QImageReader reader(tmp.filePath("p.jpg"));
        const QImage back = reader.read().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(back.size(), picture.size()) << reader.errorString().toStdString();
        EXPECT_GT(Psnr(picture, back), c.minPsnr);
        // Each band on its own is as good as the whole: a misjoined band would be garbage.
        const QImage bottom = back.copy(0, back.height() - 64, back.width(), 64);
        EXPECT_GT(Psnr(picture.copy(0, picture.height() - 64, picture.width(), 64), bottom),
                  c.minPsnr);
        EXPECT_EQ(back.colorSpace(), QColorSpace(QColorSpace::SRgb));
    }
}

TEST_F(PictureWritersTest, PngRoundTripIsBitExactAndTaggedSrgb) {
    const QImage picture = test::GradientPicture(301, 77);
    const QByteArray exif = test::PhoneExifBlock();
    ASSERT_TRUE(WritePng(picture, Path("p.png"), exif, false).ok());
    const QImage back(tmp.filePath("p.png"));
    EXPECT_EQ(FirstDifference(picture, back.convertToFormat(QImage::Format_RGB32)), QString());
    const QByteArray png = Contents(tmp.filePath("p.png"));
    EXPECT_TRUE(png.contains("sRGB"));
    EXPECT_EQ(test::PngExifChunk(png), exif);
}

TEST_F(PictureWritersTest, SavedExifKeepsDatePlaceAndCameraWithOrientationOneAndTheNewSize) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const QByteArray original = test::PhoneExifBlock({.bigEndian = bigEndian});
        const QString source =
            Write("source.jpg", test::JpegWithExif(PhotoPicture(64, 48), original));
        EXPECT_EQ(ReadExifBlock(QFile::encodeName(source)), original);

        const QByteArray carried = ExifCarriedFrom(QFile::encodeName(source), 640, 480);
        ASSERT_FALSE(carried.isEmpty());
        // The thumbnail was the block's tail: it is gone, and so are its bytes.
        EXPECT_LT(carried.size(), original.size() - 500);
        // Nothing but the edited values changes in what stays.
        EXPECT_EQ(carried.mid(carried.indexOf("SRVNOTE"), 48),
                  original.mid(original.indexOf("SRVNOTE"), 48));

        QFile::remove(tmp.filePath("saved.jpg"));
        ASSERT_TRUE(WriteJpeg(PhotoPicture(640, 480), Path("saved.jpg"), 92, carried, false).ok());
        EXPECT_EQ(ReadExifBlock(Path("saved.jpg")), carried);
        const QString fields =
            Identify(tmp.filePath("saved.jpg"),
                     "%[EXIF:DateTimeOriginal]|%[EXIF:Make]|%[EXIF:Model]|%[EXIF:GPSLatitude]|"
                     "%[EXIF:GPSLongitudeRef]|%[EXIF:Orientation]|%[EXIF:PixelXDimension]|"
                     "%[EXIF:PixelYDimension]|%[EXIF:ImageWidth]|%[EXIF:JPEGInterchangeFormat]");
        if (fields == QStringLiteral("<no identify>")) GTEST_SKIP() << "ImageMagick not installed";
        EXPECT_EQ(fields, QStringLiteral("2024:07:14 18:42:07|Sorvenal Test Camera Co.|ST-1|"
                                         "35/1, 39/1, 2912/100|E|1|640|480|640|"));
    }
}

TEST_F(PictureWritersTest, NextIfdLeadingBackIsCutWithoutCuttingTheBlock) {
    // IFD0's link to a "thumbnail" IFD that is IFD0 itself: the link goes, the bytes stay.
    const QByteArray block = test::PhoneExifBlock({.thumbnail = false});
    const int link = 8 + 2 + 12 * uchar(block[8]);
    QByteArray looped = block;
    looped[link] = 8;
    const QByteArray carried = ExifForSavedPicture(looped, 10, 10);
    ASSERT_EQ(carried.size(), looped.size());
    EXPECT_EQ(carried.mid(link, 4), QByteArray(4, '\0'));
    EXPECT_EQ(carried.mid(link + 4, 64), looped.mid(link + 4, 64));  // IFD0's values
}

TEST_F(PictureWritersTest, DamagedExifIsDroppedNotCarried) {
    const QByteArray good = test::PhoneExifBlock();
    const auto damaged = [&](qsizetype at, const QByteArray& bytes) {
        QByteArray b = good;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    const int ifd0Count = uchar(good[8]);
    const struct {
        const char* what;
        QByteArray block;
    } cases[] = {
        {"not TIFF", QByteArray("JFIF") + good.mid(4)},
        {"first IFD past the end", damaged(4, QByteArray("\xFF\xFF\x00\x00", 4))},
        {"entry count past the end", damaged(8, QByteArray("\xFF\x7F", 2))},
        {"cut short", good.left(40)},
        // The camera maker's text (IFD0's third entry) placed past the end.
        {"value past the end", damaged(10 + 12 * 2 + 8, QByteArray("\xF0\xFF\x00\x00", 4))},
        // The EXIF IFD pointer (IFD0's sixth entry) leading back to IFD0: a loop.
        {"loop", damaged(10 + 12 * 5 + 8, QByteArray("\x08\x00\x00\x00", 4))},
        {"empty", QByteArray()},
    };
    ASSERT_EQ(ifd0Count, 7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ExifForSavedPicture(c.block, 10, 10), QByteArray());
    }
    // A file whose EXIF is damaged gives none to carry.
    const QString source =
        Write("bad.jpg", test::JpegWithExif(PhotoPicture(16, 16), cases[4].block));
    EXPECT_EQ(ExifCarriedFrom(QFile::encodeName(source), 16, 16), QByteArray());
    EXPECT_EQ(ExifCarriedFrom(QFile::encodeName(tmp.filePath("missing.jpg")), 16, 16),
              QByteArray());
}

TEST_F(PictureWritersTest, HeifAndJxlExifIsReadPastItsOffsetPrefix) {
    const QByteArray block = test::PhoneExifBlock({.bigEndian = true});
    const QByteArray jxl = EncodeJxl(PhotoPicture(64, 48), {.exif = block});
    ASSERT_FALSE(jxl.isEmpty());
    EXPECT_EQ(ReadExifBlock(QFile::encodeName(Write("phone.jxl", jxl))), block);
    // A bare codestream has no boxes, so no EXIF.
    EXPECT_EQ(ReadExifBlock(QFile::encodeName(Write("bare.jxl", EncodeJxl(PhotoPicture(8, 8))))),
              QByteArray());
    const QByteArray heic = EncodeHeif(PhotoPicture(64, 48), {.exif = block});
    if (heic.isEmpty()) GTEST_SKIP() << "no HEVC encoder";
    const QString source = Write("phone.heic", heic);
    EXPECT_EQ(ReadExifBlock(QFile::encodeName(source)), block);
    EXPECT_EQ(ExifAfterOffsetPrefix(QByteArray("\0\0\0\x06xxxxxx", 10) + block), block);
    EXPECT_EQ(ExifAfterOffsetPrefix(QByteArray("\0\0\1\0xx", 6)), QByteArray());
}

TEST_F(PictureWritersTest, SizeEstimateIsNearTheWrittenSize) {
    const QImage picture = PhotoPicture(2400, 1600);
    for (int quality : {50, 92, 100}) {
        SCOPED_TRACE(quality);
        const qint64 actual = EncodeJpeg(picture, quality).size();
        const qint64 estimate = EstimateJpegBytes(picture, quality);
        EXPECT_LT(std::abs(estimate - actual), actual / 5) << estimate << " vs " << actual;
    }
}

}  // namespace
}  // namespace sorvenal
