// HEIC, AVIF and JPEG XL: opened at their size and turned once, rounded from 10 bits, composed
// like a PNG, previewed from their thumbnail, and refused when damaged or too large.
#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <vector>

#include "platform/error_texts.h"
#include "platform/picture_io.h"
#include "tests/support/test_pictures.h"
#include "tools/photo_writers.h"

namespace sorvenal {
namespace {

using test::FirstDifference;

constexpr QRgb kGrey = qRgb(128, 128, 128);
constexpr QRgb kRed = qRgb(230, 20, 20);

// Grey with a red square at the top left: where the square lands tells the turn.
QImage Marked(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(kGrey);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) picture.setPixel(x, y, kRed);
    return picture;
}

bool Reddish(QRgb pixel) { return qRed(pixel) > 170 && qGreen(pixel) < 90; }

// Each quarter of the picture: is the red square there?
QString RedCorners(const QImage& image) {
    const int r = image.width() - 8, b = image.height() - 8;
    QString corners;
    corners += Reddish(image.pixel(8, 8)) ? 'L' : '.';  // top left
    corners += Reddish(image.pixel(r, 8)) ? 'R' : '.';  // top right
    corners += Reddish(image.pixel(8, b)) ? 'l' : '.';  // bottom left
    corners += Reddish(image.pixel(r, b)) ? 'r' : '.';  // bottom right
    return corners;
}

class PhotoFormatsTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) const {
        EXPECT_FALSE(bytes.isEmpty()) << "the encoder refused " << name.toStdString();
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
    QTemporaryDir dir_;
};

TEST_F(PhotoFormatsTest, EachFormatOpensAtItsSizeTurnedOnce) {
    const QImage picture = Marked(96, 48);
    const struct {
        const char* name;
        QByteArray bytes;
        QSize size;
        const char* corners;
    } cases[] = {
        {"plain.heic", EncodeHeif(picture), {96, 48}, "L..."},
        // The rotation box turns it a quarter clockwise; the EXIF inside says a quarter the
        // other way, which a reader that applied both would show upside down.
        {"turned.heic",
         EncodeHeif(picture, {.orientation = 6, .exif = ExifWithOrientation(8)}),
         {48, 96},
         ".R.."},
        {"mirrored.heif", EncodeHeif(picture, {.orientation = 2}), {96, 48}, ".R.."},
        {"upside.heic", EncodeHeif(picture, {.orientation = 3}), {96, 48}, "...r"},
        {"plain.avif", EncodeHeif(picture, {.av1 = true}), {96, 48}, "L..."},
        {"turned.avif", EncodeHeif(picture, {.av1 = true, .orientation = 8}), {48, 96}, "..l."},
        {"plain.jxl", EncodeJxl(picture), {96, 48}, "L..."},
        {"turned.jxl", EncodeJxl(picture, {.orientation = 6}), {48, 96}, ".R.."},
        {"lossless.jxl", EncodeJxl(picture, {.lossless = true}), {96, 48}, "L..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(QString::fromLatin1(c.name), c.bytes);
        const ReadResult read = ReadPicture(path);
        ASSERT_TRUE(read.ok()) << PictureErrorText(read.failure).toStdString();
        EXPECT_EQ(read.image.format(), QImage::Format_RGB32);
        EXPECT_EQ(read.image.size(), c.size);
        EXPECT_EQ(RedCorners(read.image), QString::fromLatin1(c.corners));
        const PreviewResult preview = ReadPreview(NativeOf(path), QSize(160, 160));
        ASSERT_TRUE(preview.ok());
        EXPECT_EQ(preview.size, c.size);
        // No thumbnail: the whole picture serves as both, the same pixels as the full read.
        EXPECT_EQ(FirstDifference(read.image, preview.picture), QString());
    }
    // Lossless keeps every pixel.
    EXPECT_EQ(FirstDifference(picture, ReadPicture(dir_.filePath("lossless.jxl")).image),
              QString());
}

// 10-bit samples come out as their nearest 8-bit level, not their top 8 bits.
TEST_F(PhotoFormatsTest, TenBitSamplesAreRoundedToEightBits) {
    // Every 10-bit level once, across 1024 pixels, in all three channels.
    QImage deep(64, 16, QImage::Format_RGBA64);
    for (int y = 0; y < deep.height(); ++y) {
        auto* line = reinterpret_cast<quint16*>(deep.scanLine(y));
        for (int x = 0; x < deep.width(); ++x) {
            const int v = y * 64 + x;
            const int levels[3] = {v, 1023 - v, (v * 7) % 1024};
            for (int c = 0; c < 3; ++c) line[4 * x + c] = quint16(levels[c] << 6);
            line[4 * x + 3] = 0xFFFF;
        }
    }
    const auto rounded = [](int v) { return (v * 255 + 511) / 1023; };
    int differFromShift = 0;

    // A lossless JPEG XL keeps the 10-bit levels, so the expected bytes are known exactly.
    const ReadResult jxl =
        ReadPicture(Write("deep.jxl", EncodeJxl(deep, {.lossless = true, .bits = 10})));
    ASSERT_TRUE(jxl.ok()) << PictureErrorText(jxl.failure).toStdString();
    for (int y = 0; y < deep.height(); ++y) {
        const auto* line = reinterpret_cast<const quint16*>(deep.constScanLine(y));
        for (int x = 0; x < deep.width(); ++x) {
            const QRgb got = jxl.image.pixel(x, y);
            const quint16* px = line + 4 * qsizetype{x};
            const int v[3] = {px[0] >> 6, px[1] >> 6, px[2] >> 6};
            ASSERT_EQ(got & 0xFFFFFF, qRgb(rounded(v[0]), rounded(v[1]), rounded(v[2])) & 0xFFFFFF)
                << x << "," << y;
            differFromShift += rounded(v[0]) != v[0] >> 2;
        }
    }
    EXPECT_GT(differFromShift, 100);

    // A 10-bit HEIC is lossy: compare with the library's own 10-bit decode of the file.
    const QString heic = Write("deep.heic", EncodeHeif(deep, {.bits = 10, .quality = 95}));
    const ReadResult read = ReadPicture(heic);
    ASSERT_TRUE(read.ok()) << PictureErrorText(read.failure).toStdString();
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    ASSERT_EQ(
        heif_context_read_from_file(context.get(), heic.toLocal8Bit().constData(), nullptr).code,
        heif_error_Ok);
    heif_image_handle* handle = nullptr;
    ASSERT_EQ(heif_context_get_primary_image_handle(context.get(), &handle).code, heif_error_Ok);
    EXPECT_EQ(heif_image_handle_get_luma_bits_per_pixel(handle), 10);
    heif_image* raw = nullptr;
    ASSERT_EQ(heif_decode_image(handle, &raw, heif_colorspace_RGB,
                                heif_chroma_interleaved_RRGGBB_LE, nullptr)
                  .code,
              heif_error_Ok);
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(raw, heif_channel_interleaved, &stride);
    differFromShift = 0;
    for (int y = 0; y < deep.height(); ++y) {
        for (int x = 0; x < deep.width(); ++x) {
            int v[3];
            for (int c = 0; c < 3; ++c) {
                const uint8_t* at = plane + qsizetype{stride} * y + 2 * (3 * qsizetype{x} + c);
                v[c] = at[0] | at[1] << 8;
            }
            ASSERT_EQ(read.image.pixel(x, y) & 0xFFFFFF,
                      qRgb(rounded(v[0]), rounded(v[1]), rounded(v[2])) & 0xFFFFFF)
                << x << "," << y;
            differFromShift += rounded(v[1]) != v[1] >> 2;
        }
    }
    EXPECT_GT(differFromShift, 100);
    heif_image_release(raw);
    heif_image_handle_release(handle);
}

// Transparent parts show on the same background as a PNG's.
TEST_F(PhotoFormatsTest, AlphaIsComposedAsForPng) {
    QImage clear(64, 32, QImage::Format_ARGB32);
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x)
            clear.setPixel(x, y, qRgba(200, 180, 40, x < 32 ? 0 : x < 48 ? 128 : 255));
    ASSERT_TRUE(clear.save(dir_.filePath("clear.png")));
    const ReadResult png = ReadPicture(dir_.filePath("clear.png"));
    ASSERT_TRUE(png.ok());
    const ReadResult jxl =
        ReadPicture(Write("clear.jxl", EncodeJxl(clear, {.lossless = true, .alpha = true})));
    ASSERT_TRUE(jxl.ok()) << PictureErrorText(jxl.failure).toStdString();
    EXPECT_EQ(FirstDifference(png.image, jxl.image), QString());
    const ReadResult heic =
        ReadPicture(Write("clear.heic", EncodeHeif(clear, {.alpha = true, .quality = 95})));
    ASSERT_TRUE(heic.ok()) << PictureErrorText(heic.failure).toStdString();
    for (const int x : {8, 40, 56}) {
        SCOPED_TRACE(x);
        const QRgb want = png.image.pixel(x, 16), got = heic.image.pixel(x, 16);
        EXPECT_NEAR(qRed(got), qRed(want), 6);
        EXPECT_NEAR(qGreen(got), qGreen(want), 6);
        EXPECT_NEAR(qBlue(got), qBlue(want), 6);
    }
}

// The embedded thumbnail makes the preview when it fills the box; else the whole picture does.
TEST_F(PhotoFormatsTest, ThumbnailServesThePreviewWhenLargeEnough) {
    QImage blue(640, 480, QImage::Format_RGB32);
    blue.fill(qRgb(20, 40, 220));
    QImage red(640, 480, QImage::Format_RGB32);  // told apart from the picture by its colour
    red.fill(kRed);
    const QString path =
        Write("thumb.heic", EncodeHeif(blue, {.thumbnailSide = 320, .thumbnailFrom = red}));

    const PreviewResult small = ReadPreview(NativeOf(path), QSize(160, 160));
    ASSERT_TRUE(small.ok()) << PictureErrorText(small.failure).toStdString();
    EXPECT_EQ(small.size, QSize(640, 480));
    EXPECT_EQ(small.preview.size(), QSize(160, 120));
    EXPECT_TRUE(Reddish(small.preview.pixel(80, 60)));
    EXPECT_TRUE(small.picture.isNull());  // the full decode is still to come

    // A box the thumbnail cannot fill: the whole picture, which is also kept.
    const PreviewResult large = ReadPreview(NativeOf(path), QSize(500, 500));
    ASSERT_TRUE(large.ok());
    EXPECT_EQ(large.preview.size(), QSize(640, 480));
    EXPECT_GT(qBlue(large.preview.pixel(80, 60)), 180);
    EXPECT_EQ(FirstDifference(ReadPicture(path).image, large.picture), QString());

    // A turned picture's thumbnail is shown turned like it, or not used.
    const QString turned = Write(
        "turned.heic", EncodeHeif(Marked(640, 480), {.orientation = 6, .thumbnailSide = 320}));
    const PreviewResult side = ReadPreview(NativeOf(turned), QSize(160, 160));
    ASSERT_TRUE(side.ok());
    EXPECT_EQ(side.size, QSize(480, 640));
    EXPECT_EQ(side.preview.width() < side.preview.height(), true);
    EXPECT_TRUE(Reddish(side.preview.pixel(side.preview.width() - 2, 1)));
}

// Cut short, overwritten, oversized or cancelled: refused with a reason and without a crash.
TEST_F(PhotoFormatsTest, DamagedFilesAreRefused) {
    const QImage picture = test::GradientPicture(64, 48);
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {{"whole.heic", EncodeHeif(picture, {.thumbnailSide = 32})},
                 {"whole.avif", EncodeHeif(picture, {.av1 = true})},
                 {"whole.jxl", EncodeJxl(picture)}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const QString path = Write(QString::fromLatin1(file.name), file.bytes);
        ASSERT_TRUE(ReadPicture(path).ok());
        for (const double part : {0.05, 0.2, 0.4, 0.6, 0.8, 0.95}) {
            SCOPED_TRACE(part);
            const QString cut = Write("cut", file.bytes.left(qsizetype(file.bytes.size() * part)));
            const ReadResult read = ReadPicture(cut);
            EXPECT_FALSE(read.ok());
            EXPECT_EQ(read.failure.kind, PictureError::Truncated)
                << PictureErrorText(read.failure).toStdString();
            EXPECT_FALSE(ReadPreview(NativeOf(cut), QSize(160, 160)).ok());
        }
        // Overwritten in the middle: whatever the decoder makes of it, never a crash.
        QByteArray scrambled = file.bytes;
        for (qsizetype i = scrambled.size() / 3; i < scrambled.size() / 3 + 40; ++i)
            scrambled[i] = char(scrambled[i] ^ 0x5A);
        const ReadResult read = ReadPicture(Write("scrambled", scrambled));
        EXPECT_TRUE(read.ok() || read.failure.failed());

        std::atomic<bool> cancel{true};
        EXPECT_EQ(ReadPicture(NativeOf(path), {.cancel = &cancel}).failure.kind,
                  PictureError::Cancelled);
    }
    // A header claiming 60000 x 60000 is refused before anything is decoded.
    QByteArray huge = files[0].bytes;
    ASSERT_GT(huge.indexOf("ispe"), 0);
    for (qsizetype ispe = huge.indexOf("ispe"); ispe > 0; ispe = huge.indexOf("ispe", ispe + 1)) {
        for (const int at : {8, 12}) {
            huge[ispe + at] = 0;
            huge[ispe + at + 1] = 0;
            huge[ispe + at + 2] = char(0xEA);
            huge[ispe + at + 3] = char(0x60);
        }
    }
    const ReadResult read = ReadPicture(Write("huge.heic", huge));
    EXPECT_EQ(read.failure.kind, PictureError::TooLarge);
    EXPECT_EQ(PictureErrorText(read.failure),
              QString::fromUtf8("画像が大きすぎます (60000 × 60000)"));
}

}  // namespace
}  // namespace sorvenal
