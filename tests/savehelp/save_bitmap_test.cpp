// Saving the canvas as a new BMP file, on real folders: what is written, what is refused,
// what a failure leaves behind, and how the folder lists are re-read.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/exif_block.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "savehelp/save_image.h"
#include "tests/support/exif_builder.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::FirstDifference;

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

class SaveBitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        folder = QDir(tmp.path()).canonicalPath();
        test::WritePicture(folder, QStringLiteral("photo.jpg"), test::GradientPicture(8, 8));
        File1.SetPattern(QStringLiteral("*.bmp;*.jpg;*.gif"));
        // The window's folder change: the file list follows the folder list.
        QObject::connect(&Dir1, &FolderList::Change, &Dir1, [this] {
            ++folderChanges;
            File1.SetPath(Dir1.Path());
        });
        ASSERT_TRUE(Dir1.SetPath(folder));
        folderChanges = 0;
        ASSERT_TRUE(File1.SetListIndex(0));
        // A retouched canvas: the persistent image differs from the assigned picture.
        Picture2.SetPicture(test::GradientPicture(37, 21));
        Picture2.DrawCircleNotXor(18, 10, 6);
    }

    void Save() {
        SaveImage(SaveImageContext{DirCancel, &Dir1, &File1, &Picture2, dialogs, nullptr, source,
                                   choice});
    }
    // Saves under `name` as the type of that label.
    void SaveAs(const QString& label, const QString& name) {
        dialogs.filterAnswers.push_back(label);
        dialogs.saveAnswers.push_back(folder + QLatin1Char('/') + name);
        Save();
    }

    QTemporaryDir tmp;
    QString folder;
    FolderList Dir1;
    FileList File1;
    PictureBox Picture2;
    ScriptedDialogService dialogs;
    bool DirCancel = true;
    SaveChoice choice;
    NativePath source;
    int folderChanges = 0;
};

TEST_F(SaveBitmapTest, NewNameWritesTheWorkingImageAsBmp) {
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/holiday"));
    Save();

    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const SaveFileRequest& request = dialogs.saveRequests.front();
    EXPECT_EQ(request.filterLabel, QStringLiteral("BMP ﾌｧｲﾙ"));
    EXPECT_EQ(request.fileName, QStringLiteral("photo"));

    const QString T = folder + QStringLiteral("/holiday.BMP");
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    QImageReader reader(T);
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    const QImage back = reader.read();
    ASSERT_FALSE(back.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(FirstDifference(Picture2.Image(), back), QString());
    EXPECT_NE(FirstDifference(Picture2.Picture(), back), QString()) << "the picture, not the image";
    EXPECT_TRUE(DirCancel);
    EXPECT_EQ(Entries(folder),
              (QStringList{QStringLiteral("holiday.BMP"), QStringLiteral("photo.jpg")}));

    // A second reader that shares no code with ours, where installed.
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty()) GTEST_SKIP() << "ImageMagick not installed";
    const QString png = tmp.filePath(QStringLiteral("check.png"));
    ASSERT_EQ(QProcess::execute(convert, {T, png}), 0);
    EXPECT_EQ(FirstDifference(Picture2.Image(), QImage(png)), QString());
}

TEST_F(SaveBitmapTest, ExtensionIsAddedWhateverTheChosenNameEndsWith) {
    const QByteArray jpeg = Contents(folder + QStringLiteral("/photo.jpg"));
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/photo.jpg"));
    Save();
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/photo.jpg.BMP")).isFile());
    EXPECT_EQ(Contents(folder + QStringLiteral("/photo.jpg")), jpeg);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SaveBitmapTest, ExistingFileIsNeverReplaced) {
    const QString T = folder + QStringLiteral("/photo.BMP");
    {
        QFile file(T);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/photo"));
    Save();
    EXPECT_EQ(dialogs.messages, QStringList{T + QStringLiteral("　は既に存在します")});
    EXPECT_EQ(Contents(T), QByteArray("keep me"));
    EXPECT_FALSE(DirCancel);
    EXPECT_EQ(folderChanges, 0);
    EXPECT_EQ(Entries(folder),
              (QStringList{QStringLiteral("photo.BMP"), QStringLiteral("photo.jpg")}));

    // A dangling link holds the name as well: writing through it would create its target.
    dialogs.messages.clear();
    ASSERT_TRUE(
        QFile::link(folder + QStringLiteral("/nowhere"), folder + QStringLiteral("/x.BMP")));
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/x"));
    Save();
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/nowhere")));
}

TEST_F(SaveBitmapTest, CancelWritesNothing) {
    Save();  // no scripted answer: the dialog is cancelled
    EXPECT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(DirCancel);
    EXPECT_EQ(folderChanges, 0);
    EXPECT_EQ(File1.FileName(), QStringLiteral("photo.jpg"));
    EXPECT_EQ(Entries(folder), QStringList{QStringLiteral("photo.jpg")});
}

TEST_F(SaveBitmapTest, FailedWriteIsReportedAndLeavesNothing) {
    QFile(folder + QStringLiteral("/plain")).open(QIODevice::WriteOnly);
    const QStringList before = Entries(folder);
    for (const QString& chosen :
         {folder + QStringLiteral("/missing/photo"), folder + QStringLiteral("/plain/photo")}) {
        SCOPED_TRACE(chosen.toStdString());
        dialogs.messages.clear();
        DirCancel = false;
        folderChanges = 0;
        dialogs.saveAnswers.push_back(chosen);
        Save();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages.front().startsWith(QStringLiteral("保存できませんでした: ") +
                                                        chosen + QStringLiteral(".BMP")))
            << dialogs.messages.front().toStdString();
        EXPECT_FALSE(QFileInfo::exists(chosen + QStringLiteral(".BMP")));
        EXPECT_EQ(Entries(folder), before);
        EXPECT_TRUE(DirCancel);
        EXPECT_EQ(folderChanges, 2);
    }
}

TEST_F(SaveBitmapTest, SavingIntoTheShownFolderListsTheNewFile) {
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/after"));
    Save();
    EXPECT_EQ(Dir1.Path(), folder);
    EXPECT_EQ(folderChanges, 2);
    QStringList listed;
    for (int i = 0; i < File1.ListCount(); ++i) listed << File1.List(i);
    EXPECT_TRUE(listed.contains(QStringLiteral("after.BMP"))) << listed.join(',').toStdString();
    EXPECT_EQ(File1.ListIndex(), -1);  // the selection is lost with the re-read
}

TEST_F(SaveBitmapTest, EachTypeAppendsItsExtensionAndRefusesAnExistingName) {
    const struct {
        QString label;
        const char* file;
        QByteArray format;
    } types[] = {
        {kBmpFilterLabel, "shot.BMP", "bmp"},
        {kJpegFilterLabel, "shot.JPG", "jpeg"},
        {kPngFilterLabel, "shot.PNG", "png"},
    };
    for (const auto& type : types) {
        SCOPED_TRACE(type.file);
        dialogs.messages.clear();
        SaveAs(type.label, QStringLiteral("shot"));
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
        const QString T = folder + QLatin1Char('/') + QLatin1String(type.file);
        QImageReader reader(T);
        EXPECT_EQ(reader.format(), type.format);
        EXPECT_EQ(reader.size(), Picture2.Image().size());
        // The name as chosen, an extension already on it, gets the type's extension all the same.
        SaveAs(type.label, QStringLiteral("shot.png"));
        EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/shot.png") +
                                      QLatin1String(type.file).mid(4)));

        const QByteArray before = Contents(T);
        SaveAs(type.label, QStringLiteral("shot"));
        EXPECT_EQ(dialogs.messages, QStringList{T + QStringLiteral("　は既に存在します")});
        EXPECT_EQ(Contents(T), before);
    }
}

TEST_F(SaveBitmapTest, BmpIsProposedFirstThenTheTypeAndQualityChosenLast) {
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/first"));
    Save();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].filterLabels,
              (QStringList{QStringLiteral("BMP ﾌｧｲﾙ"), QStringLiteral("JPEG ﾌｧｲﾙ"),
                           QStringLiteral("PNG ﾌｧｲﾙ")}));
    EXPECT_EQ(dialogs.saveRequests[0].filterLabel, QStringLiteral("BMP ﾌｧｲﾙ"));
    // Exactly what the BMP writer gives: the default save is the save it always was.
    const NativePath direct = NativeOf(tmp.filePath(QStringLiteral("direct.bmp")));
    ASSERT_TRUE(WriteBmp24(Picture2.Image(), direct).ok());
    EXPECT_EQ(Contents(folder + QStringLiteral("/first.BMP")), Contents(QString::fromUtf8(direct)));
    EXPECT_TRUE(dialogs.qualityProposals.empty()) << "BMP asks for no quality";

    dialogs.qualityAnswers.push_back(75);
    SaveAs(kJpegFilterLabel, QStringLiteral("second"));
    ASSERT_EQ(dialogs.qualityProposals, std::vector<int>{92});
    ASSERT_EQ(dialogs.qualityEstimates.size(), 1u);
    EXPECT_GT(dialogs.qualityEstimates[0], 0);
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/third"));
    Save();
    EXPECT_EQ(dialogs.saveRequests.back().filterLabel, QStringLiteral("JPEG ﾌｧｲﾙ"));
    EXPECT_EQ(dialogs.qualityProposals, (std::vector<int>{92, 75}));
    EXPECT_EQ(QImageReader(folder + QStringLiteral("/third.JPG")).format(), QByteArray("jpeg"));
}

TEST_F(SaveBitmapTest, CancellingTheQualityWritesNothing) {
    const QStringList before = Entries(folder);
    dialogs.qualityAnswers.push_back(std::nullopt);
    SaveAs(kJpegFilterLabel, QStringLiteral("never"));
    EXPECT_EQ(Entries(folder), before);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(DirCancel);
    EXPECT_EQ(folderChanges, 0);
}

TEST_F(SaveBitmapTest, JpegAndPngCarryTheSourceExifAndBmpNone) {
    const QByteArray block = test::PhoneExifBlock();
    const QString photo = folder + QStringLiteral("/phone.jpg");
    {
        QFile file(photo);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(test::JpegWithExif(test::GradientPicture(40, 30), block));
    }
    source = NativeOf(photo);
    const QSize size = Picture2.Image().size();
    const QByteArray expected = ExifForSavedPicture(block, size.width(), size.height());
    ASSERT_FALSE(expected.isEmpty());
    SaveAs(kJpegFilterLabel, QStringLiteral("kept"));
    SaveAs(kPngFilterLabel, QStringLiteral("kept"));
    SaveAs(kBmpFilterLabel, QStringLiteral("kept"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(ReadExifBlock(NativeOf(folder + QStringLiteral("/kept.JPG"))), expected);
    EXPECT_EQ(test::PngExifChunk(Contents(folder + QStringLiteral("/kept.PNG"))), expected);
    EXPECT_FALSE(Contents(folder + QStringLiteral("/kept.BMP")).contains("Exif"));

    // A damaged block is left behind, and the picture saved all the same.
    QByteArray damaged = block;
    damaged[4] = '\xF0';  // the first IFD beyond the block's end
    damaged[5] = '\xFF';
    {
        QFile file(photo);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(test::JpegWithExif(test::GradientPicture(40, 30), damaged));
    }
    SaveAs(kJpegFilterLabel, QStringLiteral("plain"));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(ReadExifBlock(NativeOf(folder + QStringLiteral("/plain.JPG"))).isEmpty());
    EXPECT_EQ(QImage(folder + QStringLiteral("/plain.JPG")).size(), size);
}

TEST(SaveBitmapNames, ProposedNameDropsTheWholeExtension) {
    EXPECT_EQ(ProposedSaveName(QStringLiteral("photo.jpg")), QStringLiteral("photo"));
    EXPECT_EQ(ProposedSaveName(QStringLiteral("写真.jpeg")), QStringLiteral("写真"));
    EXPECT_EQ(ProposedSaveName(QStringLiteral("IMG_1.2.JFIF")), QStringLiteral("IMG_1.2"));
    EXPECT_EQ(ProposedSaveName(QStringLiteral("a.gi")), QStringLiteral("a"));
    EXPECT_EQ(ProposedSaveName(QString()), QString());
}

TEST(SaveBitmapNames, InitialFolderIsTheDesktopFolderOnlyWhereItExists) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);

    EXPECT_EQ(SaveInitialFolder(QStringLiteral("/shown")), QStringLiteral("/shown"));
    ASSERT_TRUE(QDir().mkpath(desktop + QStringLiteral("/sorvenal")));
    EXPECT_EQ(SaveInitialFolder(QStringLiteral("/shown")), desktop + QStringLiteral("/sorvenal"));

    qputenv("HOME", oldHome);
    if (oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", oldConfig);
}

}  // namespace
}  // namespace sorvenal
