// The file menu, help and version through the main window, with the modal dialogs played by
// a timer that finds them on screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "fileops/file_dialogs.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "savehelp/version_dialog.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

class Form1FileOpsTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        Write("a.jpg", test::GradientPicture(40, 30));
        Write("b.bmp", test::GradientPicture(20, 10));
        ASSERT_TRUE(QDir(folder).mkdir("dest"));
        Browse({}, test::Visibility::Hidden);
        ASSERT_EQ(Dir1(*form)->Path(), folder);
        ASSERT_TRUE(Select(0));  // a.jpg
        test::WaitFull(*form);
        ASSERT_TRUE(Picture2(*form)->HasPicture());
    }

    // Plays the user in the next modal dialog; should it never appear or never close, the
    // guard closes it so the test fails instead of hanging.
    void WhenModal(const std::function<void(QWidget&)>& play) {
        auto* poll = new QTimer(form.get());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, play] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll->deleteLater();
                poll->stop();
                play(*modal);
            }
        });
        poll->start(5);
        QTimer::singleShot(5000, form.get(), [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
    }
    QString At(const QString& name) const { return folder + QLatin1Char('/') + name; }
};

TEST_F(Form1FileOpsTest, RenameFromTheMenuReloadsThePicture) {
    Picture2(*form)->ClearPicture();
    WhenModal([](QWidget& w) {
        auto& dialog = dynamic_cast<Form7&>(w);
        EXPECT_EQ(dialog.Text1->text(), "a");
        dialog.Text1->setText("c");
        dialog.Command2->click();
    });
    form->Action("mnuRename")->trigger();
    test::WaitPreview(*form);
    EXPECT_TRUE(QFileInfo::exists(At("c.jpg")));
    EXPECT_FALSE(QFileInfo::exists(At("a.jpg")));
    // Position 0 now holds b.bmp, which was selected and loaded.
    EXPECT_EQ(File1(*form)->FileName(), "b.bmp");
    EXPECT_EQ(Picture1(*form)->PictureSize(), QSize(20, 10));
    EXPECT_TRUE(Picture2(*form)->HasPicture());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Form1FileOpsTest, CancelledMoveKeepsThePictureOnFolderChanges) {
    WhenModal([](QWidget& w) { dynamic_cast<Form6&>(w).Command12->click(); });
    form->Action("mnuMove")->trigger();
    EXPECT_FALSE(form->FolderChangeClears());
    ASSERT_TRUE(Dir1(*form)->SetPath(At("dest")));
    EXPECT_EQ(File1(*form)->Path(), At("dest"));
    EXPECT_TRUE(Picture1(*form)->HasPicture());
    EXPECT_TRUE(Picture2(*form)->HasPicture());
    EXPECT_TRUE(Image1(*form)->HasPicture());
    EXPECT_EQ(Label5(*form)->text(), "    W X H = 40 X 30");

    ASSERT_TRUE(Dir1(*form)->SetPath(folder));
    ASSERT_TRUE(File1(*form)->SetListIndex(0));
    test::WaitPreview(*form);
    const QString caption = Label5(*form)->text();
    WhenModal([this](QWidget& w) {
        auto& dialog = dynamic_cast<Form6&>(w);
        dialog.Dir2->SetPath(At("dest"));
        dialog.Command14->click();
    });
    form->Action("mnuMove")->trigger();
    EXPECT_TRUE(QFileInfo::exists(At("dest/a.jpg")));
    EXPECT_FALSE(QFileInfo::exists(At("a.jpg")));
    EXPECT_TRUE(form->FolderChangeClears());
    EXPECT_FALSE(Picture2(*form)->HasPicture());
    EXPECT_FALSE(Image1(*form)->HasPicture());
    EXPECT_EQ(Label5(*form)->text(), caption);  // only the pictures are cleared
    EXPECT_EQ(File1(*form)->ListCount(), 1);
}

TEST_F(Form1FileOpsTest, DeleteAnsweredYesEmptiesTheDisplay) {
    QTemporaryDir data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    dialogs.yesNoAnswers = {true};
    form->Action("mnuDelete")->trigger();
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("a.jpg を削除しますか")});
    EXPECT_FALSE(QFileInfo::exists(At("a.jpg")));
    EXPECT_TRUE(QFileInfo::exists(data.filePath("Trash/files/a.jpg")));
    EXPECT_FALSE(Picture2(*form)->HasPicture());
    EXPECT_EQ(File1(*form)->ListCount(), 1);
}

TEST_F(Form1FileOpsTest, AShiftJisNamedPictureIsListedPreviewedAndDeleted) {
    QTemporaryDir data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    const QByteArray face = QFile::encodeName(folder) + "/\x8a\xe7.bmp";  // 顔.bmp in Shift_JIS
    ASSERT_EQ(::rename(QFile::encodeName(At("b.bmp")).constData(), face.constData()), 0);
    File1(*form)->Reread();
    ASSERT_EQ(File1(*form)->List(1), QStringLiteral("顔.bmp"));
    ASSERT_TRUE(File1(*form)->SetListIndex(1));
    test::WaitPreview(*form);
    EXPECT_EQ(Picture1(*form)->PictureSize(), QSize(20, 10));
    EXPECT_TRUE(Label5(*form)->text().endsWith(QStringLiteral("20 X 10")))
        << Label5(*form)->text().toStdString();
    dialogs.yesNoAnswers = {true};
    form->Action("mnuDelete")->trigger();
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("顔.bmp を削除しますか")});
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_NE(
        ::access((QFile::encodeName(data.path()) + "/Trash/files/\x8a\xe7.bmp").constData(), F_OK),
        -1);
    EXPECT_EQ(::access(face.constData(), F_OK), -1);
}

TEST_F(Form1FileOpsTest, NewFolderAndFolderRenameFromTheMenu) {
    WhenModal([](QWidget& w) {
        auto& dialog = dynamic_cast<Form6&>(w);
        dialog.Text2->setText(QStringLiteral("新しい"));
        dialog.Command15->click();
    });
    form->Action("mnuForder")->trigger();
    EXPECT_TRUE(QFileInfo(At("新しい")).isDir());
    EXPECT_TRUE(form->FolderChangeClears());
    EXPECT_EQ(File1(*form)->FileName(), "a.jpg");  // the selection is restored

    ASSERT_TRUE(Dir1(*form)->SetPath(At("dest")));
    WhenModal([](QWidget& w) {
        auto& dialog = dynamic_cast<Form5&>(w);
        EXPECT_EQ(dialog.Text1->text(), "dest");
        dialog.Text1->setText("moved");
        dialog.Command12->click();
    });
    form->Action("mnuFrename")->trigger();
    EXPECT_TRUE(QFileInfo(At("moved")).isDir());
    EXPECT_EQ(Dir1(*form)->Path(), folder);
}

TEST_F(Form1FileOpsTest, VersionDialogCarriesTheProgramIconAndClosesOnOk) {
    bool seen = false;
    WhenModal([this, &seen](QWidget& w) {
        auto& dialog = dynamic_cast<Form4&>(w);
        seen = true;
        EXPECT_EQ(dialog.parentWidget(), form.get());
        EXPECT_EQ(dialog.windowIcon().cacheKey(), form->windowIcon().cacheKey());
        dialog.Command1->click();
    });
    form->Action("mnuHelpMenu")->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace sorvenal
