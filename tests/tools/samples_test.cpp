// The sample pictures drawn at build time open in the viewer at their intended sizes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>

#include "platform/error_texts.h"
#include "platform/picture_io.h"

namespace sorvenal {
namespace {

QString Sample(const char* name) {
    return QDir(QStringLiteral(SORVENAL_SAMPLES_DIR)).filePath(name);
}

TEST(SamplesTest, EverySampleReadsAtItsSize) {
    const struct {
        const char* name;
        QSize size;
        QByteArray start;  // the format, by its first bytes
    } samples[] = {{"portrait.jpg", {640, 800}, "\xFF\xD8\xFF"},
                   {"backlit.jpg", {1024, 768}, "\xFF\xD8\xFF"},
                   {"landscape.jpg", {3000, 2000}, "\xFF\xD8\xFF"},
                   {"small.bmp", {200, 150}, "BM"},
                   {"poster.gif", {320, 240}, "GIF89a"}};
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample.name);
        QFile file(Sample(sample.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(8).startsWith(sample.start));
        const ReadResult read = ReadPicture(Sample(sample.name));
        ASSERT_TRUE(read.ok()) << PictureErrorText(read.failure).toStdString();
        EXPECT_EQ(read.image.size(), sample.size);
    }
}

TEST(SamplesTest, PicturesLookTheirPart) {
    // The face in the portrait is skin: red over green over blue, neither dark nor white.
    const QImage portrait = ReadPicture(Sample("portrait.jpg")).image;
    const QRgb skin = portrait.pixel(320, 380);
    EXPECT_GT(qRed(skin), qGreen(skin) + 20);
    EXPECT_GT(qGreen(skin), qBlue(skin) + 10);
    EXPECT_GT(qGray(skin), 90);
    EXPECT_LT(qGray(skin), 220);
    // The backlit scene: bright sky over a dark foreground.
    const QImage backlit = ReadPicture(Sample("backlit.jpg")).image;
    EXPECT_GT(qGray(backlit.pixel(700, 200)), 200);
    EXPECT_LT(qGray(backlit.pixel(500, 700)), 70);
    // The GIF keeps to few colours.
    const QImage poster = ReadPicture(Sample("poster.gif")).image;
    QSet<QRgb> colours;
    for (int y = 0; y < poster.height(); ++y)
        for (int x = 0; x < poster.width(); ++x) colours.insert(poster.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
}

}  // namespace
}  // namespace sorvenal
