// sorvenal-retouch as a separate process: it does to the file what the menus do to the canvas,
// and bad input leaves the disk as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include "effects/circle_effects.h"
#include "engine/auto_retouch.h"
#include "engine/retouch_commands.h"
#include "platform/canvas_image.h"
#include "platform/error_texts.h"
#include "platform/exif_block.h"
#include "platform/picture_io.h"
#include "tests/support/exif_builder.h"
#include "tests/support/test_pictures.h"
#include "tools/photo_writers.h"

namespace sorvenal {
namespace {

struct ToolRun {
    int code = -1;
    QString out;
    QString err;
};

ToolRun RunTool(const QStringList& args, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(SORVENAL_RETOUCH_TOOL), args);
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.code = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture with a skin-coloured patch, so the skin steps measure something sensible.
QImage Portrait() {
    QImage picture = test::GradientPicture(90, 70);
    for (int y = 20; y < 50; ++y)
        for (int x = 30; x < 60; ++x) picture.setPixel(x, y, qRgb(214 - y / 4, 170, 140 + x / 8));
    return picture;
}

class RetouchCliTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // Qt's formats by their suffix; the phone formats through their own encoders.
    QString WriteInput(const QString& name, const QImage& picture) const {
        if (name.endsWith("-p3.png")) {
            QImage wide = picture;  // tagged, so both sides convert its colours
            wide.setColorSpace(QColorSpace::DisplayP3);
            return test::WritePicture(dir_.path(), name, wide);
        }
        QByteArray bytes;
        if (name.endsWith(".heic"))
            bytes = EncodeHeif(picture);
        else if (name.endsWith(".avif"))
            bytes = EncodeHeif(picture, {.av1 = true});
        else if (name.endsWith(".jxl"))
            bytes = EncodeJxl(picture);
        else
            return test::WritePicture(dir_.path(), name, picture);
        QFile file(Path(name));
        EXPECT_FALSE(bytes.isEmpty());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
    QStringList Entries() const {
        return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir_;
};

TEST_F(RetouchCliTest, DoesWhatTheMenusDoToEveryFormat) {
    const QStringList steps = {"gamma",
                               "saturate",
                               "skin=45,35",
                               "circle-red=40,30,25",
                               "circle-red=60,40,12",
                               "sharpen",
                               "skin-normal=40,30",
                               "spotlight=-10,80,60",
                               "contrast-down"};
    for (const char* name :
         {"in.bmp", "in.jpg", "in.gif", "in.heic", "in.avif", "in.jxl", "in-p3.png"}) {
        SCOPED_TRACE(name);
        const QString in = WriteInput(QString::fromLatin1(name), Portrait());
        const QString out = Path(QStringLiteral("out.bmp"));
        QFile::remove(out);
        const ToolRun run = RunTool(QStringList{in, out} + steps, dir_.path());
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();  // no progress off a terminal

        // The same steps in-process, the way the window runs them.
        ReadResult expected = ReadPicture(in);
        ASSERT_TRUE(expected.ok());
        const CanvasView view = ViewOf(expected.image);
        SkinState skin;
        RandomSequence random;
        RunRetouchCommand(view, RetouchCommand::Gamma);
        RunRetouchCommand(view, RetouchCommand::Saturate);
        skin.Dw = 0;
        SkinClickRetouchPixels(view, skin, 45, 35);
        RunCircleEffect(view, CircleEffect::Red, Circle{40, 30, 25}, random);
        RunCircleEffect(view, CircleEffect::Red, Circle{60, 40, 12}, random);
        RunRetouchCommand(view, RetouchCommand::Sharpen);
        skin.Dw = 1;
        SkinClickRetouchPixels(view, skin, 40, 30);
        RunCircleEffect(view, CircleEffect::Spotlight, Circle{-10, 80, 60}, random);
        RunRetouchCommand(view, RetouchCommand::ContrastDown);

        const ReadResult written = ReadPicture(out);
        ASSERT_TRUE(written.ok()) << PictureErrorText(written.failure).toStdString();
        EXPECT_EQ(test::FirstDifference(expected.image, written.image), QString());
        EXPECT_EQ(ReadAll(out).left(2), QByteArray("BM"));
    }
}

TEST_F(RetouchCliTest, ReplacesOutOnlyWithForce) {
    const QString in = test::WritePicture(dir_.path(), "in.bmp", test::GradientPicture(30, 20));
    QFile old(Path("out.bmp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("precious");
    old.close();

    const ToolRun refused = RunTool({in, Path("out.bmp"), "darken"}, dir_.path());
    EXPECT_EQ(refused.code, 4);
    EXPECT_EQ(ReadAll(Path("out.bmp")), QByteArray("precious"));
    EXPECT_FALSE(refused.err.isEmpty());

    const ToolRun forced = RunTool({"--force", in, Path("out.bmp"), "darken"}, dir_.path());
    ASSERT_EQ(forced.code, 0) << forced.err.toStdString();
    EXPECT_EQ(ReadPicture(Path("out.bmp")).image.size(), QSize(30, 20));
    EXPECT_EQ(Entries(), QStringList({"in.bmp", "out.bmp"}));
}

TEST_F(RetouchCliTest, WritesJpegOrPngByTheOutputsExtensionWithTheInputsExif) {
    const QByteArray block = test::PhoneExifBlock();
    QFile input(Path("phone.jpg"));
    ASSERT_TRUE(input.open(QIODevice::WriteOnly));
    input.write(test::JpegWithExif(Portrait(), block));
    input.close();
    // The phone's orientation 6 turns the 90 × 70 picture upright as it is read: the saved
    // picture is 70 × 90, and its EXIF says so, with orientation 1.
    QImage expected = ReadPicture(input.fileName()).image;
    ASSERT_EQ(expected.size(), QSize(70, 90));
    RunRetouchCommand(ViewOf(expected), RetouchCommand::Gamma);
    const QByteArray exif = ExifForSavedPicture(block, 70, 90);
    ASSERT_FALSE(exif.isEmpty());

    const struct {
        QStringList options;
        const char* out;
        QByteArray format;
        int sampling;  // the JPEG's luma sampling byte; 0 for PNG
    } cases[] = {
        {{}, "out.jpg", "jpeg", 0x11},
        {{"--quality", "60"}, "out.JPEG", "jpeg", 0x22},
        {{}, "out.png", "png", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        const QString out = Path(QString::fromLatin1(c.out));
        const ToolRun run =
            RunTool(c.options + QStringList{input.fileName(), out, "gamma"}, dir_.path());
        ASSERT_EQ(run.code, 0) << run.err.toStdString();
        const QByteArray bytes = ReadAll(out);
        const ReadResult written = ReadPicture(out);
        ASSERT_TRUE(written.ok());
        EXPECT_EQ(written.image.size(), QSize(70, 90));
        if (c.sampling) {
            EXPECT_TRUE(bytes.startsWith("\xFF\xD8"));
            EXPECT_EQ(uchar(bytes.at(bytes.indexOf("\xFF\xC0") + 11)), c.sampling);
            EXPECT_EQ(ReadExifBlock(NativeOf(out)), exif);
        } else {
            EXPECT_EQ(test::FirstDifference(expected, written.image), QString());
            EXPECT_EQ(test::PngExifChunk(bytes), exif);
        }
        // Never over an existing file without --force.
        const ToolRun again =
            RunTool(c.options + QStringList{input.fileName(), out, "darken"}, dir_.path());
        EXPECT_EQ(again.code, 4);
        EXPECT_EQ(ReadAll(out), bytes);
    }
}

TEST_F(RetouchCliTest, BadInputWritesNothingAndSaysWhy) {
    const QString in = test::WritePicture(dir_.path(), "in.jpg", test::GradientPicture(40, 30));
    test::WriteGarbage(dir_.path(), "garbage.jpg");
    const QByteArray jpeg = ReadAll(in);
    QFile cut(Path("cut.jpg"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(jpeg.left(jpeg.size() / 2));
    cut.close();
    const QStringList before = Entries();
    const QString out = Path("out.bmp");

    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{}, 2},
        {{in}, 2},
        {{in, out}, 2},
        {{"--bogus", in, out, "gamma"}, 2},
        {{in, out, "gamma", "gama"}, 2},
        {{in, out, "skin=1"}, 2},
        {{in, out, "circle-light=1,2,0"}, 2},
        {{in, out, "spotlight=1,2,3x"}, 2},
        {{in, out, "eye-blue=99999999999999999999,1,1"}, 2},
        {{in, out, "gamma", "skin=40,10"}, 2},  // off the 40 x 30 picture
        {{Path("missing.jpg"), out, "gamma"}, 3},
        {{Path("garbage.jpg"), out, "gamma"}, 3},
        {{Path("cut.jpg"), out, "gamma"}, 3},
        {{dir_.path(), out, "gamma"}, 3},
        {{in, Path("no/such/folder/out.bmp"), "gamma"}, 5},
        {{in, Path("in.jpg/out.bmp"), "gamma"}, 5},
        {{"--force", in, dir_.path(), "gamma"}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun run = RunTool(c.args, dir_.path());
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("sorvenal-retouch: ")) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_EQ(Entries(), before);
    }
}

// The input given again as the output, under any spelling, is refused before anything is
// written, --force or not: the original is never replaced by its retouched copy.
TEST_F(RetouchCliTest, TheInputIsNeverItsOwnOutput) {
    const QString in = test::WritePicture(dir_.path(), "in.jpg", test::GradientPicture(40, 30));
    const QByteArray original = ReadAll(in);
    ASSERT_TRUE(QFile::link(in, Path("link.jpg")));
    ASSERT_EQ(
        ::link(QFile::encodeName(in).constData(), QFile::encodeName(Path("hard.jpg")).constData()),
        0);
    const QStringList before = Entries();
    for (const QString& out : {in, QStringLiteral("./in.jpg"), Path("sub/../in.jpg"),
                               Path("hard.jpg"), Path("link.jpg")}) {
        ASSERT_TRUE(QDir(dir_.path()).mkpath("sub"));
        for (const bool force : {false, true}) {
            SCOPED_TRACE((out + (force ? " --force" : "")).toStdString());
            const QStringList args =
                (force ? QStringList{"--force"} : QStringList()) + QStringList{in, out, "darken"};
            const ToolRun run = RunTool(args, dir_.path());
            EXPECT_EQ(run.code, 2);
            EXPECT_TRUE(run.err.startsWith(
                QStringLiteral("sorvenal-retouch: 入力ファイルと出力ファイルが同じファイルです: ")))
                << run.err.toStdString();
            EXPECT_EQ(ReadAll(in), original);
            EXPECT_EQ(Entries(), before + QStringList{"sub"});
        }
        QDir(dir_.path()).rmdir("sub");
    }
}

// A name with a line break or an escape sequence reaches the terminal as visible text.
TEST_F(RetouchCliTest, NamesInMessagesHaveTheirControlCharactersEscaped) {
    const QString in = test::WritePicture(dir_.path(), "in.bmp", test::GradientPicture(8, 8));
    const QString name = QStringLiteral("a\x1b[2J\nb.bmp");
    const QString hostile = QStringLiteral("a\\x1B[2J\\x0Ab.bmp");  // as the message shows it
    ASSERT_TRUE(QFile::copy(in, Path(name)));
    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{Path("missing") + name, Path("out.bmp"), "gamma"}, 3},
        {{in, Path(name), "gamma"}, 4},
        {{in, Path(name + "/out.bmp"), "gamma"}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const ToolRun run = RunTool(c.args, dir_.path());
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QChar(0x1B))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(hostile)) << run.err.toStdString();
    }
}

TEST_F(RetouchCliTest, HelpPrintsTheContract) {
    const ToolRun run = RunTool({"--help"}, dir_.path());
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.contains("sorvenal-retouch [--quality N] [--force] IN OUT STEP [STEP...]"));
    EXPECT_TRUE(run.out.contains("circle-picture=X,Y,R"));
    EXPECT_TRUE(run.err.isEmpty());
}

// Arguments as bytes, which QProcess cannot pass: names that are not UTF-8 reach the tool whole.
int RunToolWithBytes(const std::vector<QByteArray>& args, const QByteArray& folder) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv{const_cast<char*>(SORVENAL_RETOUCH_TOOL)};
        for (const QByteArray& arg : args) argv.push_back(const_cast<char*>(arg.constData()));
        argv.push_back(nullptr);
        if (::chdir(folder.constData()) == 0) ::execv(SORVENAL_RETOUCH_TOOL, argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(RetouchCliTest, OpensAndWritesNamesThatAreNotUtf8) {
    const QString in = test::WritePicture(dir_.path(), "in.bmp", Portrait());
    ASSERT_EQ(RunTool({in, Path("ref.bmp"), "gamma"}, dir_.path()).code, 0);
    const QByteArray folder = QFile::encodeName(dir_.path());
    const QByteArray face = "\x8a\xe7.bmp";     // Shift_JIS
    const QByteArray broken = "\xe9t\xe9.bmp";  // neither UTF-8 nor Shift_JIS
    ASSERT_EQ(::rename(QFile::encodeName(in).constData(), (folder + "/" + face).constData()), 0);
    EXPECT_EQ(RunToolWithBytes({face, broken, "gamma"}, folder), 0);
    const ReadResult written = ReadPicture(folder + "/" + broken);
    ASSERT_TRUE(written.ok()) << PictureErrorText(written.failure).toStdString();
    EXPECT_EQ(written.image, ReadPicture(Path("ref.bmp")).image);
}

}  // namespace
}  // namespace sorvenal
