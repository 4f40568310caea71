// Every decoded picture's numbers mean sRGB: wide-gamut files land on their known sRGB values
// whichever way the file describes its colours, and what is not understood is taken as sRGB.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/colour_to_srgb.h"
#include "platform/error_texts.h"
#include "platform/picture_io.h"
#include "tests/support/test_pictures.h"
#include "tools/photo_writers.h"

namespace sorvenal {
namespace {

using test::FirstDifference;

constexpr QRgb kFileRed = qRgb(200, 30, 40);
constexpr QRgb kInGamut = qRgb(180, 120, 90);

QImage Flat(QRgb colour, const QColorSpace& space = {}) {
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(colour);
    if (space.isValid()) picture.setColorSpace(space);
    return picture;
}

QByteArray Encoded(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(100);
    EXPECT_TRUE(writer.write(picture)) << format;
    return bytes;
}

// A JPEG with an APP2 profile segment of these bytes put right after its start marker.
QByteArray WithJpegProfile(const QByteArray& jpeg, const QByteArray& icc) {
    QByteArray segment = QByteArray("ICC_PROFILE\0", 12) + char(1) + char(1) + icc;
    const int length = static_cast<int>(segment.size()) + 2;
    segment.prepend(QByteArray{"\xFF\xE2"} + char(length >> 8) + char(length & 0xFF));
    return jpeg.left(2) + segment + jpeg.mid(2);
}

struct ProfileClose {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

QByteArray Saved(void* profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    return bytes;
}

// Display P3 as a lookup-table (AToB0) profile, which Qt's parser does not take.
QByteArray DisplayP3AsLookupTable() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    const Profile matrix(cmsCreateRGBProfile(&white, &primaries, curves));
    const auto tag = [&](cmsTagSignature sig) {
        return static_cast<const cmsCIEXYZ*>(cmsReadTag(matrix.get(), sig));
    };
    const cmsCIEXYZ *r = tag(cmsSigRedColorantTag), *g = tag(cmsSigGreenColorantTag),
                    *b = tag(cmsSigBlueColorantTag);
    QByteArray icc;
    if (matrix && r && g && b) {
        const Profile lut(cmsCreateProfilePlaceholder(nullptr));
        cmsSetProfileVersion(lut.get(), 4.3);
        cmsSetDeviceClass(lut.get(), cmsSigDisplayClass);
        cmsSetColorSpace(lut.get(), cmsSigRgbData);
        cmsSetPCS(lut.get(), cmsSigXYZData);
        // An AToB table's XYZ is encoded with 1 + 32767/32768 as its full scale.
        constexpr double scale = 1 + 32767.0 / 32768;
        const cmsFloat64Number m[9] = {r->X / scale, g->X / scale, b->X / scale,
                                       r->Y / scale, g->Y / scale, b->Y / scale,
                                       r->Z / scale, g->Z / scale, b->Z / scale};
        cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 3, 3);
        cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, curves));
        cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocMatrix(nullptr, 3, 3, m, nullptr));
        // The table's layout asks for output curves after the matrix.
        cmsToneCurve* identity = cmsBuildGamma(nullptr, 1.0);
        cmsToneCurve* identities[3] = {identity, identity, identity};
        cmsPipelineInsertStage(pipeline, cmsAT_END,
                               cmsStageAllocToneCurves(nullptr, 3, identities));
        cmsFreeToneCurve(identity);
        cmsWriteTag(lut.get(), cmsSigAToB0Tag, pipeline);
        cmsWriteTag(lut.get(), cmsSigMediaWhitePointTag, cmsD50_XYZ());
        cmsPipelineFree(pipeline);
        icc = Saved(lut.get());
    }
    cmsFreeToneCurve(curve);
    return icc;
}

QString Near(QRgb got, QRgb want, int tolerance) {
    const int d = std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                            std::abs(qBlue(got) - qBlue(want))});
    if (d <= tolerance) return {};
    return QStringLiteral("(%1, %2, %3)").arg(qRed(got)).arg(qGreen(got)).arg(qBlue(got));
}

class ColourTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
    QTemporaryDir dir_;
};

TEST_F(ColourTest, WideGamutFilesLandOnTheirSrgbValues) {
    const QColorSpace p3(QColorSpace::DisplayP3);
    const QColorSpace adobe(QColorSpace::AdobeRgb);
    const QByteArray p3Jpeg = Encoded(Flat(kFileRed), "jpeg");
    const QByteArray lutIcc = DisplayP3AsLookupTable();
    ASSERT_FALSE(lutIcc.isEmpty());
    ASSERT_FALSE(QColorSpace::fromIccProfile(lutIcc).isValid()) << "must take the other path";
    HeifWriting heifP3;
    heifP3.quality = 100;
    heifP3.nclxPrimaries = 12;  // Display P3
    heifP3.nclxTransfer = 13;   // sRGB
    const struct {
        const char* name;
        QByteArray bytes;
        QRgb want;
        int tolerance;  // lossy encoders move flat colours a little
    } files[] = {
        {"p3.png", Encoded(Flat(kFileRed, p3), "png"), qRgb(218, 0, 27), 1},
        {"adobe.png", Encoded(Flat(kFileRed, adobe), "png"), qRgb(233, 24, 36), 1},
        {"p3.jpg", Encoded(Flat(kFileRed, p3), "jpeg"), qRgb(218, 0, 27), 3},
        // A table samples the conversion, so its colour lies inside both gamuts.
        {"p3-table.jpg", WithJpegProfile(Encoded(Flat(kInGamut), "jpeg"), lutIcc),
         QColorSpace(QColorSpace::DisplayP3)
             .transformationToColorSpace(QColorSpace::SRgb)
             .map(kInGamut),
         3},
        {"p3.heic", EncodeHeif(Flat(kFileRed), heifP3), qRgb(218, 0, 27), 4},
        // Taken as sRGB: no profile, an sRGB one, one that is broken.
        {"plain.png", Encoded(Flat(kFileRed), "png"), kFileRed, 0},
        {"srgb.png", Encoded(Flat(kFileRed, QColorSpace::SRgb), "png"), kFileRed, 0},
        {"broken.jpg", WithJpegProfile(p3Jpeg, QByteArray(300, '\x5a')), qRgb(200, 30, 40), 3},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        ASSERT_FALSE(file.bytes.isEmpty());
        const NativePath path = NativeOf(Write(QString::fromLatin1(file.name), file.bytes));
        const ReadResult read = ReadPicture(path);
        ASSERT_TRUE(read.ok());
        // The whole picture, not a corner: every pixel was converted.
        for (const QPoint at : {QPoint(0, 0), QPoint(32, 24), QPoint(63, 47)})
            EXPECT_EQ(Near(read.image.pixel(at), file.want, file.tolerance), QString());
        EXPECT_TRUE(read.image.colorSpace() == QColorSpace(QColorSpace::SRgb) ||
                    !read.image.colorSpace().isValid());
        const PreviewResult preview = ReadPreview(path, QSize(32, 32));
        ASSERT_TRUE(preview.ok());
        EXPECT_EQ(Near(preview.preview.pixel(4, 4), file.want, file.tolerance), QString());
    }
    // Without a profile the decode is untouched, bit for bit.
    const QImage plain = Flat(qRgb(12, 200, 99));
    EXPECT_EQ(
        FirstDifference(plain, ReadPicture(Write("gradient.png", Encoded(plain, "png"))).image),
        QString());
}

// Qt cannot write one; ImageMagick, which the set-up installs, can.
TEST_F(ColourTest, CmykJpegShowsItsColours) {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) GTEST_SKIP() << "ImageMagick not installed";
    const QString path = dir_.filePath(QStringLiteral("cmyk.jpg"));
    ASSERT_EQ(QProcess::execute(convert, {"-size", "64x48", "xc:rgb(200,30,40)", "-colorspace",
                                          "CMYK", "-quality", "95", path}),
              0);
    const ReadResult read = ReadPicture(path);
    ASSERT_TRUE(read.ok()) << PictureErrorText(read.failure).toStdString();
    EXPECT_EQ(Near(read.image.pixel(32, 24), kFileRed, 16), QString());
}

TEST(ColourToSrgb, HighDynamicRangeTransfersKeepWhiteAndOrder) {
    QImage ramp(256, 1, QImage::Format_RGB32);
    for (int v = 0; v < 256; ++v) ramp.setPixel(v, 0, qRgb(v, v, v));
    for (const int transfer : {16, 18}) {  // PQ, HLG
        SCOPED_TRACE(transfer);
        QImage mapped = ramp;
        ConvertToSrgb(mapped, ColourOfNclx({1, transfer}));
        EXPECT_EQ(qRed(mapped.pixel(0, 0)), 0);
        for (int v = 1; v < 256; ++v)
            ASSERT_GE(qRed(mapped.pixel(v, 0)), qRed(mapped.pixel(v - 1, 0))) << v;
        // SDR white (203 cd/m²: PQ code 148, HLG code 191) shows near white, not dim.
        EXPECT_GE(qRed(mapped.pixel(transfer == 16 ? 148 : 191, 0)), 235);
        EXPECT_LE(qRed(mapped.pixel(transfer == 16 ? 100 : 120, 0)), 200);
    }
    // sRGB's own codes and the unspecified ones change nothing.
    for (const Nclx& nclx : {Nclx{1, 13}, Nclx{2, 2}, Nclx{1, 1}})
        EXPECT_TRUE(ColourOfNclx(nclx).empty());
}

}  // namespace
}  // namespace sorvenal
