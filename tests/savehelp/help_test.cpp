// The help decision rule with injected shell versions, the read-me window, and Form4.
#include "savehelp/help.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include "savehelp/version_dialog.h"
#include "tests/support/scripted_dialogs.h"

namespace sorvenal {
namespace {

ShellVersionProbe Version(std::uint32_t major, std::uint32_t minor, std::uint32_t build = 0) {
    return [=](ShellVersionRecord& record) {
        record = {major, minor, build};
        return true;
    };
}

TEST(GetShellVersion, JoinsTheNumbersOrSaysError) {
    int major = 7, minor = 7, build = 7;
    EXPECT_EQ(GetShellVersion(major, minor, build, Version(5, 50, 1)), "5.50.1");
    EXPECT_EQ(std::tie(major, minor, build), std::make_tuple(5, 50, 1));
    EXPECT_EQ(GetShellVersion(major, minor, build), "ERROR");  // no shell library here
    EXPECT_EQ(std::tie(major, minor, build), std::make_tuple(0, 0, 0));
}

class OpenHelpTest : public ::testing::Test {
protected:
    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void Open(const ShellVersionProbe& probe, bool viewerWorks = true) {
        HelpViewers viewers;
        viewers.openUrl = [this, viewerWorks](const QUrl& url) {
            opened << url.toLocalFile();
            return viewerWorks;
        };
        viewers.showText = [this](QWidget*, const QString& path) { shown << path; };
        OpenHelp(nullptr, dialogs, folder.path(), probe, viewers);
    }
    QTemporaryDir folder;
    ScriptedDialogService dialogs;
    QStringList opened, shown;
};

TEST_F(OpenHelpTest, MajorVersionAboveFourOpensTheHelpFile) {
    Write("sorvenal.chm", "help");
    Write("readme.txt", "read me");
    Open(Version(4, 72));
    Open(Version(5, 0));
    Open(Version(6, 0));
    Open(PlatformShellVersionProbe());
    EXPECT_EQ(opened,
              (QStringList{folder.filePath("readme.txt"), folder.filePath("sorvenal.chm"),
                           folder.filePath("sorvenal.chm"), folder.filePath("readme.txt")}));
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OpenHelpTest, FallsBackToTheReadmeAndToOurOwnWindow) {
    Write("readme.txt", "read me");
    Open(Version(5, 0));  // no help file beside the program
    EXPECT_EQ(opened, QStringList{folder.filePath("readme.txt")});
    Open(PlatformShellVersionProbe(), false);  // the desktop has no viewer
    EXPECT_EQ(shown, QStringList{folder.filePath("readme.txt")});
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OpenHelpTest, MissingReadmeIsSaid) {
    Open(PlatformShellVersionProbe());
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(folder.filePath("readme.txt")));
}

TEST_F(OpenHelpTest, BuiltInReadmeIsShownInOurOwnWindow) {
    HelpViewers viewers;
    viewers.openUrl = [this](const QUrl& url) {
        opened << url.toString();
        return true;
    };
    viewers.showText = [this](QWidget*, const QString& path) { shown << path; };
    OpenHelp(nullptr, dialogs, QStringLiteral(":/sorvenal"), PlatformShellVersionProbe(), viewers);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(shown, QStringList{QStringLiteral(":/sorvenal/readme.txt")});
    EXPECT_TRUE(dialogs.messages.isEmpty());
    QFile builtIn(QStringLiteral(":/sorvenal/readme.txt"));
    ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly));
    EXPECT_GT(builtIn.size(), 100);
}

TEST(HelpFolder, InstalledCopyThenDataFoldersThenBuiltIn) {
    if (QFile::exists(QStringLiteral(SORVENAL_INSTALL_DATADIR "/readme.txt")))
        GTEST_SKIP() << "installed under " << SORVENAL_INSTALL_DATADIR;
    QTemporaryDir home, dirs;
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME"), oldDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_DIRS", dirs.path().toUtf8());
    EXPECT_EQ(HelpFolder(), ":/sorvenal");
    ASSERT_TRUE(QDir(dirs.path()).mkpath("sorvenal"));
    QFile file(dirs.filePath("sorvenal/readme.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(HelpFolder(), dirs.filePath("sorvenal"));
    qputenv("XDG_DATA_HOME", oldHome);
    qputenv("XDG_DATA_DIRS", oldDirs);
}

TEST(ShowReadmeWindow, ShowsTheTextReadOnly) {
    QTemporaryDir folder;
    QFile file(folder.filePath("readme.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("ソルベナル 使い方\n").toUtf8());
    file.close();
    QDialog* window = ShowReadmeWindow(nullptr, file.fileName());
    ASSERT_NE(window, nullptr);
    auto* text = window->findChild<QPlainTextEdit*>("ReadmeText");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText(), QStringLiteral("ソルベナル 使い方\n"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    delete window;
    EXPECT_EQ(ShowReadmeWindow(nullptr, folder.filePath("none.txt")), nullptr);
}

TEST(Form4, LayoutAndTexts) {
    QPixmap pixels(32, 32);
    pixels.fill(Qt::red);
    Form4 form{QIcon(pixels)};
    EXPECT_EQ(form.windowTitle(), QStringLiteral("バージョン"));
    EXPECT_EQ(form.size(), QSize(372, 115));
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(128, 64, 0));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.Image6->geometry(), QRect(16, 32, 32, 32));
    EXPECT_EQ(form.Image6->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("ソルベナル"));
    EXPECT_TRUE(form.Label1->font().bold());
    EXPECT_DOUBLE_EQ(form.Label1->font().pointSizeF(), 26.25);
    EXPECT_EQ(form.Label1->palette().color(QPalette::WindowText), QColor(192, 255, 192));
    EXPECT_EQ(form.Line1->geometry(), QRect(72, 56, 208, 1));
    EXPECT_EQ(form.Line1->palette().color(QPalette::Window), QColor(0, 192, 0));
    EXPECT_EQ(form.Command1->text(), "OK");
    EXPECT_EQ(form.Command1->geometry(), QRect(304, 72, 49, 25));
    EXPECT_DOUBLE_EQ(form.Command1->font().pointSizeF(), 12);
}

TEST(Form4, OpensModallyAndClosesOnOk) {
    QWidget owner;
    owner.show();
    bool sawModal = false;
    QTimer::singleShot(0, [&sawModal] {
        auto* form = qobject_cast<Form4*>(QApplication::activeModalWidget());
        if (!form) return;
        sawModal = form->isModal() && form->isVisible();
        form->Command1->click();
    });
    QTimer guard;  // should the button not close it, the test fails instead of hanging
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    guard.start(5000);
    ShowVersionDialog(&owner, QIcon());
    EXPECT_TRUE(sawModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(guard.isActive());  // returned through OK, not through the guard
}

}  // namespace
}  // namespace sorvenal
