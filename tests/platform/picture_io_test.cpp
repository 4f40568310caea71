// Reading pictures (formats, orientation, damaged and oversized files) and writing BMP files.
#include "platform/picture_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <string>

#include "platform/error_texts.h"
#include "platform/picture_format.h"
#include "tests/support/test_pictures.h"
#include "tools/gif_writer.h"

namespace sorvenal {
namespace {

using test::FirstDifference;
using test::GradientPicture;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}
QByteArray EncodeWithQt(const QImage& image, const char* format, bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
    return bytes;
}
// A picture of `fill` with a square of `corner` at its top left, saved as a JPEG whose EXIF says
// to turn it a quarter clockwise.
void WriteTurnedJpeg(const QString& path, QSize size, QRgb fill, int side, QRgb corner) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(fill);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) picture.setPixel(x, y, corner);
    QImageWriter writer(path, "jpeg");
    writer.setQuality(95);
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(picture));
}
// A listening local socket at `path`, which open() refuses; -1 when it cannot be made.
int BindSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (fd < 0 || name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return -1;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}
// Every entry of the folder, hidden ones included.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}
QString Text(const char* utf8) { return QString::fromUtf8(utf8); }
// The words a read or a write failure is shown in.
template <typename Result>
QString Why(const Result& result) {
    return PictureErrorText(result.failure);
}

// A BMP reader independent of Qt: 24-bit, uncompressed, bottom-up, 4-byte row padding.
QImage ParseBmp24(const QByteArray& b, QString& problem) {
    auto u32 = [&](int at) {
        return quint32(uchar(b[at])) | quint32(uchar(b[at + 1])) << 8 |
               quint32(uchar(b[at + 2])) << 16 | quint32(uchar(b[at + 3])) << 24;
    };
    auto u16 = [&](int at) { return quint16(uchar(b[at]) | uchar(b[at + 1]) << 8); };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return problem = "no BMP header", QImage();
    if (u32(2) != quint32(b.size())) return problem = "file size field wrong", QImage();
    if (u32(10) != 54 || u32(14) != 40) return problem = "header sizes wrong", QImage();
    const int width = int(u32(18)), height = int(u32(22));
    if (u16(26) != 1 || u16(28) != 24 || u32(30) != 0)
        return problem = "not uncompressed 24-bit", QImage();
    const qsizetype rowBytes = (qsizetype{width} * 3 + 3) / 4 * 4;
    if (u32(34) != quint32(rowBytes * height) || b.size() != 54 + rowBytes * height)
        return problem = "pixel data size wrong", QImage();
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const char* row = b.constData() + 54 + rowBytes * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const char* px = row + qsizetype{3} * x;
            image.setPixel(x, y, qRgb(uchar(px[2]), uchar(px[1]), uchar(px[0])));
        }
        for (int p = width * 3; p < rowBytes; ++p)
            if (row[p] != 0) return problem = "padding not zero", QImage();
    }
    return image;
}

class PictureIoTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(PictureIoTest, BmpRoundTripIsExactForAnyRowPadding) {
    // 701 x 1100 fills three blocks of about a megabyte, the last one short, so the rows packed
    // on the second thread are checked too.
    for (const QSize size :
         {QSize(1, 1), QSize(2, 3), QSize(3, 2), QSize(5, 7), QSize(64, 33), QSize(701, 1100)}) {
        SCOPED_TRACE(qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        const QImage picture = GradientPicture(size.width(), size.height());
        const QString path = Path(QStringLiteral("round%1.bmp").arg(size.width()));
        ASSERT_TRUE(WriteBmp24(picture, path).ok());

        QString problem;
        const QImage parsed = ParseBmp24(ReadAll(path), problem);
        ASSERT_TRUE(problem.isEmpty()) << qPrintable(problem);
        EXPECT_EQ(FirstDifference(picture, parsed), QString());
        EXPECT_EQ(FirstDifference(picture, QImageReader(path).read()), QString());
        const ReadResult read = ReadPicture(path);
        ASSERT_TRUE(read.ok()) << qPrintable(Why(read));
        EXPECT_EQ(read.image.format(), QImage::Format_RGB32);
        EXPECT_EQ(FirstDifference(picture, read.image), QString());
    }
}

TEST_F(PictureIoTest, WritesOtherFormatsAsTheirColours) {
    QImage argb = GradientPicture(9, 4).convertToFormat(QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(10, 20, 30, 0));  // alpha is dropped, colour kept
    ASSERT_TRUE(WriteBmp24(argb, Path("argb.bmp")).ok());
    QString problem;
    const QImage parsed = ParseBmp24(ReadAll(Path("argb.bmp")), problem);
    EXPECT_EQ(parsed.pixel(0, 0), qRgb(10, 20, 30));
    const QImage gray = GradientPicture(7, 3).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_TRUE(WriteBmp24(gray, Path("gray.bmp")).ok());
    EXPECT_EQ(FirstDifference(gray, ReadPicture(Path("gray.bmp")).image), QString());
}

TEST_F(PictureIoTest, JpegAndGifAreReadByContentAsRgb32) {
    const QImage picture = GradientPicture(50, 30);
    // Names that lie about the format: the content decides.
    WriteBytes(Path("photo.bmp"), EncodeWithQt(picture, "jpeg"));
    const ReadResult jpeg = ReadPicture(Path("photo.bmp"));
    ASSERT_TRUE(jpeg.ok()) << qPrintable(Why(jpeg));
    EXPECT_EQ(jpeg.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(FirstDifference(QImageReader(Path("photo.bmp"), "jpeg").read(), jpeg.image),
              QString());

    const QImage gray = picture.convertToFormat(QImage::Format_Grayscale8);
    WriteBytes(Path("gray.jpg"), EncodeWithQt(gray, "jpeg"));
    EXPECT_EQ(ReadPicture(Path("gray.jpg")).image.format(), QImage::Format_RGB32);

    const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8);
    ASSERT_TRUE(WriteGif(indexed, Path("anim.jpg")));
    const ReadResult gif = ReadPicture(Path("anim.jpg"));
    ASSERT_TRUE(gif.ok()) << qPrintable(Why(gif));
    EXPECT_EQ(FirstDifference(indexed, gif.image), QString());
}

TEST_F(PictureIoTest, GifWriterSurvivesDictionaryResetsAndTinyPalettes) {
    // Random indices over 256 colours fill the 4096-entry dictionary many times.
    QImage noisy(300, 200, QImage::Format_Indexed8);
    QList<QRgb> colors;
    for (int i = 0; i < 256; ++i) colors.append(qRgb(i, 255 - i, (i * 37) & 255));
    noisy.setColorTable(colors);
    QRandomGenerator random(7);
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x) noisy.setPixel(x, y, random.bounded(256));
    ASSERT_TRUE(WriteGif(noisy, Path("noisy.gif")));
    EXPECT_EQ(FirstDifference(noisy, ReadPicture(Path("noisy.gif")).image), QString());

    QImage two(17, 5, QImage::Format_Indexed8);
    two.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < two.height(); ++y)
        for (int x = 0; x < two.width(); ++x) two.setPixel(x, y, (x / 3 + y) & 1);
    ASSERT_TRUE(WriteGif(two, Path("two.gif")));
    EXPECT_EQ(FirstDifference(two, ReadPicture(Path("two.gif")).image), QString());
}

TEST_F(PictureIoTest, ExifOrientationIsAppliedOnce) {
    WriteTurnedJpeg(Path("turned.jpg"), QSize(40, 20), qRgb(0, 0, 0), 6, qRgb(255, 255, 255));

    const ReadResult read = ReadPicture(Path("turned.jpg"));
    ASSERT_TRUE(read.ok()) << qPrintable(Why(read));
    ASSERT_EQ(read.image.size(), QSize(20, 40));
    // A quarter turn clockwise takes the top-left corner to the top-right.
    EXPECT_GT(qGray(read.image.pixel(17, 2)), 200);
    EXPECT_LT(qGray(read.image.pixel(2, 2)), 50);
    EXPECT_LT(qGray(read.image.pixel(17, 37)), 50);
}

TEST_F(PictureIoTest, RefusesWhatIsNoPictureWithItsReason) {
    WriteBytes(Path("empty.jpg"), QByteArray());
    EXPECT_EQ(Why(ReadPicture(Path("empty.jpg"))), Text("ファイルが空です"));
    test::WriteGarbage(dir_.path(), QStringLiteral("garbage.jpg"));
    EXPECT_EQ(Why(ReadPicture(Path("garbage.jpg"))), Text("画像ファイルではありません"));
    WriteBytes(Path("picture.tif"), QByteArray("II*\0", 4) + QByteArray(60, '\0'));
    EXPECT_EQ(Why(ReadPicture(Path("picture.tif"))), Text("画像ファイルではありません"));

    const ReadResult missing = ReadPicture(Path("missing.jpg"));
    EXPECT_FALSE(missing.ok());
    EXPECT_TRUE(Why(missing).startsWith(Text("ファイルを読めません: ")))
        << qPrintable(Why(missing));
    EXPECT_GT(Why(missing).size(), Text("ファイルを読めません: ").size());
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.jpg")));
    EXPECT_TRUE(Why(ReadPicture(Path("folder.jpg"))).startsWith(Text("ファイルを読めません: ")));

    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.jpg")).constData(), 0600), 0);
    EXPECT_EQ(Why(ReadPicture(Path("pipe.jpg"))),
              Text("ファイルを読めません: 通常のファイルではありません"));

    // The right first bytes with nothing sound behind them.
    WriteBytes(Path("fake.bmp"), QByteArray("BM") + QByteArray(60, '\x7f'));
    EXPECT_FALSE(ReadPicture(Path("fake.bmp")).ok());
}

TEST_F(PictureIoTest, RefusesFilesThatEndEarly) {
    const QImage picture = GradientPicture(120, 90);
    const QByteArray bmp = [&] {
        EXPECT_TRUE(WriteBmp24(picture, Path("whole.bmp")).ok());
        return ReadAll(Path("whole.bmp"));
    }();
    const QByteArray gif = EncodeGif(picture);
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {{"baseline.jpg", EncodeWithQt(picture, "jpeg")},
                 {"progressive.jpg", EncodeWithQt(picture, "jpeg", true)},
                 {"whole.bmp", bmp},
                 {"whole.gif", gif}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        WriteBytes(Path(file.name), file.bytes);
        ASSERT_TRUE(ReadPicture(Path(file.name)).ok())
            << qPrintable(Why(ReadPicture(Path(file.name))));
        for (const double part : {0.3, 0.5, 0.9}) {
            WriteBytes(Path("cut"), file.bytes.left(qsizetype(file.bytes.size() * part)));
            EXPECT_EQ(Why(ReadPicture(Path("cut"))), Text("ファイルが途中で切れています"));
        }
        WriteBytes(Path("cut"), file.bytes.left(file.bytes.size() - 1));
        const ReadResult lastByte = ReadPicture(Path("cut"));
        // The GIF trailer byte follows the frame, so only the frame's own end counts there.
        if (QByteArray(file.name).endsWith(".gif"))
            EXPECT_TRUE(lastByte.ok());
        else
            EXPECT_EQ(Why(lastByte), Text("ファイルが途中で切れています"));
    }
    // Bytes after the end of a JPEG (some cameras add them) do no harm.
    WriteBytes(Path("tail.jpg"), files[0].bytes + QByteArray(100, '\0'));
    EXPECT_TRUE(ReadPicture(Path("tail.jpg")).ok());
}

// A JPEG decoder fills what is missing with grey and calls it success; what it says on the
// way, and how much data there is for the frame, tell a damaged picture from a whole one.
TEST_F(PictureIoTest, DamagedJpegsAreRefusedAndCameraQuirksAreNot) {
    const QByteArray jpeg = EncodeWithQt(GradientPicture(64, 48), "jpeg");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    const qsizetype tables = jpeg.indexOf("\xFF\xDB");
    ASSERT_GT(frame, 0);
    ASSERT_GT(tables, 0);
    QByteArray huge = jpeg;  // a few hundred bytes that claim 10900 × 10900
    huge.replace(frame + 5, 4, QByteArray("\x2A\x94\x2A\x94", 4));
    const QByteArray shortened = jpeg.left(jpeg.size() / 2) + "\xFF\xD9";
    QByteArray stray = jpeg;
    stray.insert(tables, QByteArray("\x12\x34\x56", 3));
    const QString truncated = Text("ファイルが途中で切れています");
    const struct {
        const char* name;
        QByteArray bytes;
        QString why;  // empty: read
    } files[] = {
        {"claims-huge.jpg", huge, truncated},
        {"cut-then-end.jpg", shortened, truncated},
        {"stray-bytes.jpg", stray, {}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        WriteBytes(Path(file.name), file.bytes);
        EXPECT_EQ(Why(ReadPicture(Path(file.name))), file.why);
        const PreviewResult preview = ReadPreview(NativeOf(Path(file.name)), QSize(160, 160));
        EXPECT_EQ(preview.ok() ? QString() : Why(preview), file.why);
    }
}

QByteArray BmpHeader(qint32 width, qint32 height) {
    QByteArray header(54, '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) header[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    header[0] = 'B';
    header[1] = 'M';
    put32(2, 54 + 16);
    put32(10, 54);
    put32(14, 40);
    put32(18, quint32(width));
    put32(22, quint32(height));
    header[26] = 1;
    header[28] = 24;
    return header + QByteArray(16, '\x55');
}

// The words are the window's; the kind and the number are what the reader itself says.
TEST_F(PictureIoTest, FailuresCarryTheirKindAndTheSystemsNumber) {
    WriteBytes(Path("empty.jpg"), QByteArray());
    WriteBytes(Path("huge.bmp"), BmpHeader(100000, 3));
    WriteBytes(Path("short.bmp"), BmpHeader(4000, 3000));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.jpg")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.jpg")).constData(), 0600), 0);
    const int listening = BindSocket(Path("socket.jpg"));
    ASSERT_GE(listening, 0);
    ASSERT_EQ(::symlink("/dev/null", QFile::encodeName(Path("device.jpg")).constData()), 0);
    const struct {
        const char* name;
        PictureError kind;
        int error;
    } cases[] = {
        {"missing.jpg", PictureError::CannotOpen, ENOENT},
        {"folder.jpg", PictureError::CannotOpen, EISDIR},
        {"pipe.jpg", PictureError::NotAFile, 0},
        {"socket.jpg", PictureError::NotAFile, 0},
        {"device.jpg", PictureError::NotAFile, 0},
        {"empty.jpg", PictureError::Empty, 0},
        {"huge.bmp", PictureError::TooLarge, 0},
        {"short.bmp", PictureError::Truncated, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = ReadPicture(Path(c.name));
        EXPECT_EQ(read.failure.kind, c.kind);
        EXPECT_EQ(read.failure.error, c.error);
        const PreviewResult preview = ReadPreview(NativeOf(Path(c.name)), QSize(160, 160));
        EXPECT_EQ(preview.failure.kind, c.kind);
        EXPECT_EQ(Why(preview), Why(read));
    }
    ::close(listening);
    const ReadResult huge = ReadPicture(Path("huge.bmp"));
    EXPECT_EQ(huge.failure.width, 100000);
    EXPECT_EQ(huge.failure.height, 3);
    EXPECT_EQ(Why(ReadPicture(Path("missing.jpg"))),
              Text("ファイルを読めません: ") + ErrorText(ENOENT));

    const WriteResult noFolder = WriteBmp24(GradientPicture(4, 4), Path("missing/out.bmp"));
    EXPECT_EQ(noFolder.failure.kind, PictureError::WriteFailed);
    EXPECT_EQ(noFolder.failure.error, ENOENT);
    EXPECT_EQ(WriteBmp24(QImage(), Path("null.bmp")).failure.kind, PictureError::NoPicture);
    const WriteResult written = WriteBmp24(GradientPicture(4, 4), Path("out.bmp"));
    ASSERT_TRUE(written.ok());
    EXPECT_FALSE(written.failure.failed());
}

// The completeness check opens the file a second time: a FIFO put in the picture's place
// meanwhile must neither block it nor be taken for the picture, nor may any other file.
TEST_F(PictureIoTest, TheCompletenessCheckTakesOnlyThePictureItWasGiven) {
    const QString picture = Path("a.png");
    WriteBytes(picture, EncodeWithQt(GradientPicture(8, 8), "png"));
    WriteBytes(Path("b.png"), ReadAll(picture));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(picture).constData(), &st), 0);
    const PictureFormat* png = SniffFormat(ReadAll(picture));
    ASSERT_NE(png, nullptr);
    EXPECT_FALSE(CheckPictureComplete(NativeOf(picture), *png, st.st_dev, st.st_ino).failed());
    EXPECT_EQ(CheckPictureComplete(NativeOf(Path("b.png")), *png, st.st_dev, st.st_ino).kind,
              PictureError::NotAFile);

    ASSERT_EQ(::unlink(QFile::encodeName(picture).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(picture).constData(), 0600), 0);
    auto checked = std::async(std::launch::async, [&] {
        return CheckPictureComplete(NativeOf(picture), *png, st.st_dev, st.st_ino);
    });
    if (checked.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Lets the blocked open go, so that the test ends with its failure.
        const int writer = ::open(QFile::encodeName(picture).constData(), O_RDWR);
        ADD_FAILURE() << "blocked on a FIFO";
        checked.wait();
        ::close(writer);
    }
    EXPECT_EQ(checked.get().kind, PictureError::NotAFile);
}

// Every kind's words, character for character as the program has always shown them.
TEST(PictureErrorText, EveryKindHasItsWords) {
    const auto text = [](const char* utf8) { return QString::fromUtf8(utf8); };
    const struct {
        PictureFailure failure;
        QString words;
    } cases[] = {
        {{PictureError::None}, QString()},
        {{PictureError::CannotOpen, EACCES}, text("ファイルを読めません: ") + ErrorText(EACCES)},
        {{PictureError::NotAFile}, text("ファイルを読めません: 通常のファイルではありません")},
        {{PictureError::Empty}, text("ファイルが空です")},
        {{PictureError::NotAPicture}, text("画像ファイルではありません")},
        {{PictureError::Corrupt}, text("画像データが壊れています")},
        {{PictureError::TooLarge, 0, 2147483648LL, 3}, text("画像が大きすぎます (2147483648 × 3)")},
        {{PictureError::TooLarge}, text("画像が大きすぎます")},  // a library's own limit
        {{PictureError::Truncated}, text("ファイルが途中で切れています")},
        {{PictureError::OutOfMemory}, text("画像を展開するメモリが足りません")},
        {{PictureError::Cancelled}, text("中断しました")},
        {{PictureError::NoHevcDecoder},
         text("HEVC (HEIC) のデコーダーがないため開けません。"
              "libheif-plugin-libde265 をインストールしてください")},
        {{PictureError::NoAv1Decoder},
         text("AV1 (AVIF) のデコーダーがないため開けません。"
              "libheif-plugin-dav1d をインストールしてください")},
        {{PictureError::NoPicture}, text("画像がありません")},
        {{PictureError::WriteFailed, ENOSPC}, ErrorText(ENOSPC)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.failure.kind));
        EXPECT_EQ(PictureErrorText(c.failure), c.words);
    }
    // A failed read of the decoder's device is told in Qt's words for the number.
    const QString readFailed = PictureErrorText({PictureError::ReadFailed, EIO});
    EXPECT_TRUE(readFailed.startsWith(text("ファイルを読めません: "))) << qPrintable(readFailed);
    EXPECT_GT(readFailed.size(), text("ファイルを読めません: ").size());
}

// The table every reader is chosen from: each format by its own first bytes, nothing else.
TEST(PictureFormatTest, EachFormatIsToldByItsFirstBytesOnly) {
    const struct {
        QByteArray head;
        const char* name;  // null: no format
    } cases[] = {
        {QByteArray("BM") + QByteArray(10, '\0'), "bmp"},
        {QByteArray("\x89PNG\r\n\x1a\n\0\0\0\0", 12), "png"},
        {QByteArray("RIFF\0\0\0\0WEBP", 12), "webp"},
        {QByteArray("RIFF\0\0\0\0WAVE", 12), nullptr},
        {QByteArray("\xFF\xD8\xFF\xE0", 4), "jpeg"},
        {QByteArray("\xFF\xD8\x00", 3), nullptr},
        {QByteArray("GIF89a"), "gif"},
        {QByteArray("GIF88a"), nullptr},
        {QByteArray("II*\0", 4), nullptr},
        {QByteArray("\0\0\0\x18"
                    "ftypheic",
                    12),
         "heif"},
        {QByteArray("\0\0\0\x1C"
                    "ftypmif1",
                    12),
         "heif"},
        {QByteArray("\0\0\0\x20"
                    "ftypavif",
                    12),
         "heif"},
        {QByteArray("\0\0\0\x18"
                    "ftypmp42",
                    12),
         nullptr},  // a video
        {QByteArray("\0\0\0\x18"
                    "ftyphei",
                    11),
         nullptr},
        {QByteArray("\xFF\x0A\xFA", 3), "jxl"},
        {QByteArray("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12), "jxl"},
        {QByteArray("\0\0\0\x0CJXL \x0D\x0A\x87\x0B", 12), nullptr},
        {QByteArray(), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head.toHex().toStdString());
        const PictureFormat* format = SniffFormat(c.head);
        if (!c.name) {
            EXPECT_EQ(format, nullptr);
            continue;
        }
        ASSERT_NE(format, nullptr);
        EXPECT_STREQ(format->name, c.name);
        // Only JPEG decodes scaled, and into prepared 32-bit memory.
        EXPECT_EQ(format->scaledDecode, std::string(c.name) == "jpeg");
        EXPECT_EQ(format->decodesToRgb32, std::string(c.name) == "jpeg");
    }
    EXPECT_TRUE(WithinPictureLimits(kMaxPictureSide, 1000));
    EXPECT_FALSE(WithinPictureLimits(kMaxPictureSide + 1, 1));
    EXPECT_FALSE(WithinPictureLimits(12000, 12000));
}

TEST_F(PictureIoTest, RefusesHeadersClaimingHugePictures) {
    WriteBytes(Path("huge.bmp"), BmpHeader(100000, 100000));
    EXPECT_EQ(Why(ReadPicture(Path("huge.bmp"))), Text("画像が大きすぎます (100000 × 100000)"));
    WriteBytes(Path("wide.bmp"), BmpHeader(70000, 2));
    EXPECT_EQ(Why(ReadPicture(Path("wide.bmp"))), Text("画像が大きすぎます (70000 × 2)"));
    WriteBytes(Path("many.bmp"), BmpHeader(12000, 12000));  // 144 megapixels
    EXPECT_EQ(Why(ReadPicture(Path("many.bmp"))), Text("画像が大きすぎます (12000 × 12000)"));
    // The same claims in the other two formats' headers.
    QByteArray jpeg = EncodeWithQt(GradientPicture(16, 16), "jpeg");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    jpeg[frame + 5] = jpeg[frame + 7] = char(0xEA);  // 60000 = 0xEA60
    jpeg[frame + 6] = jpeg[frame + 8] = char(0x60);
    WriteBytes(Path("huge.jpg"), jpeg);
    EXPECT_EQ(Why(ReadPicture(Path("huge.jpg"))), Text("画像が大きすぎます (60000 × 60000)"));
    QByteArray gif = EncodeGif(GradientPicture(16, 16));
    gif[6] = gif[8] = char(0x60);
    gif[7] = gif[9] = char(0xEA);
    WriteBytes(Path("huge.gif"), gif);
    EXPECT_EQ(Why(ReadPicture(Path("huge.gif"))), Text("画像が大きすぎます (60000 × 60000)"));
    // Within the limits but with too few pixel bytes behind the header.
    WriteBytes(Path("short.bmp"), BmpHeader(4000, 3000));
    EXPECT_EQ(Why(ReadPicture(Path("short.bmp"))), Text("ファイルが途中で切れています"));
}

TEST_F(PictureIoTest, NeverReplacesWithoutOverwrite) {
    const QImage first = GradientPicture(10, 10);
    ASSERT_TRUE(WriteBmp24(first, Path("out.bmp")).ok());
    const QByteArray before = ReadAll(Path("out.bmp"));

    const WriteResult again = WriteBmp24(GradientPicture(20, 5), Path("out.bmp"));
    EXPECT_EQ(again.status, WriteStatus::Exists);
    EXPECT_EQ(ReadAll(Path("out.bmp")), before);

    WriteBytes(Path("other.jpg"), "not replaced");
    ASSERT_TRUE(QFile::link(Path("other.jpg"), Path("link.bmp")));
    EXPECT_EQ(WriteBmp24(first, Path("link.bmp")).status, WriteStatus::Exists);
    EXPECT_EQ(ReadAll(Path("other.jpg")), QByteArray("not replaced"));

    ASSERT_TRUE(WriteBmp24(GradientPicture(20, 5), Path("out.bmp"), true).ok());
    EXPECT_EQ(ReadPicture(Path("out.bmp")).image.size(), QSize(20, 5));
    EXPECT_EQ(Entries(dir_.path()), QStringList({"link.bmp", "other.jpg", "out.bmp"}));
}

TEST_F(PictureIoTest, FailedWritesLeaveNothingBehind) {
    const QImage picture = GradientPicture(8, 8);
    const WriteResult noFolder = WriteBmp24(picture, Path("missing/out.bmp"));
    EXPECT_EQ(noFolder.status, WriteStatus::Failed);
    EXPECT_FALSE(Why(noFolder).isEmpty());

    WriteBytes(Path("plain"), "a file where a folder should be");
    const WriteResult notFolder = WriteBmp24(picture, Path("plain/out.bmp"), true);
    EXPECT_EQ(notFolder.status, WriteStatus::Failed);
    EXPECT_FALSE(Why(notFolder).isEmpty());

    // A folder in the place of the name: the temporary file is written, the move fails.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("taken.bmp")));
    ASSERT_TRUE(QFile::copy(Path("plain"), Path("taken.bmp/keep")));
    const WriteResult onFolder = WriteBmp24(picture, Path("taken.bmp"), true);
    EXPECT_EQ(onFolder.status, WriteStatus::Failed);
    EXPECT_FALSE(Why(onFolder).isEmpty());
    EXPECT_EQ(Entries(dir_.path()), QStringList({"plain", "taken.bmp"}));

    EXPECT_EQ(WriteBmp24(QImage(), Path("null.bmp")).status, WriteStatus::Failed);
    // Rows of 3 * 65535 bytes: 11000 of them pass the 2 GB a BMP can describe. Mono keeps the
    // source small, and it is refused before any conversion.
    const QImage tooBig(65535, 11000, QImage::Format_Mono);
    const WriteResult big = WriteBmp24(tooBig, Path("big.bmp"));
    EXPECT_EQ(big.status, WriteStatus::Failed);
    EXPECT_EQ(Why(big), Text("画像が大きすぎます (65535 × 11000)"));
    EXPECT_EQ(Entries(dir_.path()), QStringList({"plain", "taken.bmp"}));
}

// --- previews, the formats added later, decoding into huge-page memory

TEST_F(PictureIoTest, JpegPreviewIsSmallTrueToThePictureAndTurnedLikeIt) {
    WriteTurnedJpeg(Path("wide.jpg"), QSize(1600, 800), qRgb(20, 40, 200), 200,
                    qRgb(250, 250, 250));

    const PreviewResult preview = ReadPreview(NativeOf(Path("wide.jpg")), QSize(160, 160));
    ASSERT_TRUE(preview.ok()) << qPrintable(Why(preview));
    EXPECT_EQ(preview.size, QSize(800, 1600));  // as shown, after the quarter turn
    EXPECT_TRUE(preview.picture.isNull());      // the whole picture comes from its own decode
    ASSERT_EQ(preview.preview.size(), QSize(80, 160));
    EXPECT_EQ(preview.preview.format(), QImage::Format_RGB32);
    // The white corner went to the top right, as in the full decode.
    EXPECT_GT(qGray(preview.preview.pixel(75, 4)), 200);
    EXPECT_LT(qGray(preview.preview.pixel(4, 4)), 100);
    EXPECT_LT(qGray(preview.preview.pixel(75, 150)), 100);
    const QImage whole = ReadPicture(Path("wide.jpg")).image;
    ASSERT_EQ(whole.size(), preview.size);

    // Smaller than the box: the picture's own size, never enlarged.
    WriteBytes(Path("small.jpeg"), EncodeWithQt(GradientPicture(30, 20), "jpeg"));
    EXPECT_EQ(ReadPreview(NativeOf(Path("small.jpeg")), QSize(160, 160)).preview.size(),
              QSize(30, 20));
}

TEST_F(PictureIoTest, OtherFormatsGiveTheWholePictureWithTheirPreview) {
    const QImage picture = GradientPicture(37, 23);
    WriteBytes(Path("p.png"), EncodeWithQt(picture, "png"));
    WriteBytes(Path("p.bmp"), EncodeWithQt(picture, "bmp"));
    for (const char* name : {"p.png", "p.bmp"}) {
        SCOPED_TRACE(name);
        const PreviewResult read = ReadPreview(NativeOf(Path(name)), QSize(160, 160));
        ASSERT_TRUE(read.ok()) << qPrintable(Why(read));
        EXPECT_EQ(read.size, picture.size());
        EXPECT_EQ(FirstDifference(picture, read.picture), QString());
        EXPECT_EQ(FirstDifference(picture, ReadPicture(Path(name)).image), QString());
    }
    // WebP comes from the image-formats plugin, which the set-up installs.
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("webp"));
    QByteArray webp;
    QBuffer buffer(&webp);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "webp");
    writer.setQuality(100);  // lossless
    ASSERT_TRUE(writer.write(picture));
    WriteBytes(Path("p.webp"), webp);
    EXPECT_EQ(FirstDifference(picture, ReadPicture(Path("p.webp")).image), QString());

    // Cut short, each is refused rather than shown half grey.
    for (const char* name : {"p.png", "p.webp"}) {
        const QByteArray bytes = ReadAll(Path(name));
        const QString cut = Path(QStringLiteral("cut-") + name);
        WriteBytes(cut, bytes.left(bytes.size() - 9));
        EXPECT_EQ(Why(ReadPicture(cut)), Text("ファイルが途中で切れています")) << name;
        EXPECT_FALSE(ReadPreview(NativeOf(cut), QSize(160, 160)).ok()) << name;
    }
}

TEST_F(PictureIoTest, HugePageDecodeIsTheSamePictureAndCancelEndsIt) {
    const QImage picture = GradientPicture(1203, 517);  // rows of no whole number of pages
    WriteBytes(Path("g.jpg"), EncodeWithQt(picture, "jpeg"));
    const ReadResult plain = ReadPicture(Path("g.jpg"));
    const ReadResult huge = ReadPicture(NativeOf(Path("g.jpg")), ReadOptions{nullptr, true});
    ASSERT_TRUE(plain.ok() && huge.ok());
    EXPECT_EQ(FirstDifference(plain.image, huge.image), QString());
    // Decoded in place into the prepared memory, which starts on a huge-page boundary.
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(huge.image.constBits()) % (2u << 20), 0u);
    // The pixels are writable in place, as the retouch commands need them.
    QImage changed = huge.image;
    changed.setPixel(0, 0, qRgb(1, 2, 3));
    EXPECT_EQ(changed.pixel(0, 0), qRgb(1, 2, 3));

    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(ReadPicture(NativeOf(Path("g.jpg")), ReadOptions{&cancelled, true}).ok());
}

TEST_F(PictureIoTest, FreedHugePageMemoryServesTheNextPictureWithNothingOfTheOldLeft) {
    const QImage first = GradientPicture(1203, 517);
    const QImage second = first.mirrored(true, true);
    WriteBytes(Path("a.jpg"), EncodeWithQt(first, "jpeg"));
    WriteBytes(Path("b.jpg"), EncodeWithQt(second, "jpeg"));
    const auto huge = [&](const char* name) {
        return ReadPicture(NativeOf(Path(name)), ReadOptions{nullptr, true});
    };
    ReleaseSpareHugePages();
    const uchar* freed = nullptr;
    {
        const ReadResult a = huge("a.jpg");
        ASSERT_TRUE(a.ok());
        freed = a.image.constBits();
    }
    const ReadResult b = huge("b.jpg");
    ASSERT_TRUE(b.ok());
    EXPECT_EQ(b.image.constBits(), freed);
    EXPECT_EQ(FirstDifference(b.image, ReadPicture(Path("b.jpg")).image), QString());
    // Memory in use is never handed out again.
    const ReadResult again = huge("a.jpg");
    EXPECT_NE(again.image.constBits(), b.image.constBits());
    EXPECT_EQ(FirstDifference(again.image, ReadPicture(Path("a.jpg")).image), QString());
}

}  // namespace
}  // namespace sorvenal
