// The six file-menu commands on real folders, with the dialogs driven through their buttons.
#include "fileops/file_commands.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include "fileops/file_dialogs.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "tests/fileops/file_ops_window.h"
#include "tests/support/scripted_dialogs.h"

namespace sorvenal {
namespace {

class FileCommandsTest : public ::testing::Test, public test::FileOpsWindow {
protected:
    using test::FileOpsWindow::Run;  // not the test framework's own

    void SetUp() override {
        root = QDir(tmp.path()).canonicalPath();
        // What the main window's folder change does.
        QObject::connect(Dir1, &FolderList::Change, &window, [this] {
            File1->SetPath(Dir1->Path());
            if (DirCancel) ++folderClears;
        });
        QObject::connect(File1, &FileList::Click, &window,
                         [this] { clicked << File1->FileName(); });
    }

    QString At(const QString& relative) const { return root + QLatin1Char('/') + relative; }
    void Touch(const QString& relative, const QByteArray& bytes = "x") const {
        QFile file(At(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void MakeFolder(const QString& relative) const { ASSERT_TRUE(QDir(root).mkpath(relative)); }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void Browse(const QString& folder, const QString& select = {}) {
        ASSERT_TRUE(Dir1->SetPath(folder));
        if (!select.isEmpty()) {
            const QList<QListWidgetItem*> found = File1->findItems(select, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            File1->SetListIndex(File1->row(found.front()));
        }
        clicked.clear();
        folderClears = 0;
    }

    template <typename Form>
    static Form& As(QDialog& dialog) {
        auto* form = qobject_cast<Form*>(&dialog);
        EXPECT_NE(form, nullptr);
        return *form;
    }

    QTemporaryDir tmp;
    QString root;
    int folderClears = 0;
    QStringList clicked;
};

TEST_F(FileCommandsTest, RenameKeepsTheExtensionAndReselectsThePosition) {
    Touch("a.jpg", "A");
    Touch("c.jpg");
    Browse(root, "a.jpg");
    Run(RenameSelectedFile, [](QDialog& d) {
        Form7& form = As<Form7>(d);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("ファイル操作"));
        EXPECT_EQ(form.size(), QSize(291, 106));
        EXPECT_EQ(form.Text1->text(), "a");
        EXPECT_EQ(form.Text1->selectedText(), "a");
        EXPECT_EQ(form.focusWidget(), form.Text1);
        form.Text1->setText("b.png");
        form.Command2->click();
    });
    EXPECT_EQ(Read(At("b.png.jpg")), "A");
    EXPECT_FALSE(QFileInfo::exists(At("a.jpg")));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // Position 0 is selected again, whatever now stands there.
    EXPECT_EQ(clicked, QStringList{"b.png.jpg"});
    EXPECT_TRUE(DirCancel);
}

TEST_F(FileCommandsTest, RenameToTheSameOrAnEmptyNameChangesNothing) {
    Touch("a.jpg");
    Browse(root, "a.jpg");
    Run(RenameSelectedFile, [](QDialog& d) { As<Form7>(d).Command2->click(); });
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("a.jpg　は既に存在します")});
    Run(RenameSelectedFile, [](QDialog& d) {
        As<Form7>(d).Text1->clear();
        As<Form7>(d).Command2->click();
    });
    Run(RenameSelectedFile, [](QDialog& d) { As<Form7>(d).Command1->click(); });  // Cancel
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(At("a.jpg")));
    EXPECT_EQ(QDir(root).entryList(QDir::Files), QStringList{"a.jpg"});
    EXPECT_TRUE(clicked.isEmpty());
}

TEST_F(FileCommandsTest, RenameRefusesSeparatorsAndReportsFailures) {
    Touch("a.jpg");
    MakeFolder("sub");
    Browse(root, "a.jpg");
    Run(RenameSelectedFile, [](QDialog& d) {
        As<Form7>(d).Text1->setText("sub/a");
        As<Form7>(d).Command2->click();
    });
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QStringLiteral("この名前は使えません: sub/a.jpg")));
    EXPECT_TRUE(QFileInfo::exists(At("a.jpg")));
    EXPECT_FALSE(QFileInfo::exists(At("sub/a.jpg")));

    // The folder disappears while the dialog is open: the refusal is said, not swallowed.
    MakeFolder("inner");
    Touch("inner/p.jpg");
    Browse(At("inner"), "p.jpg");
    Run(RenameSelectedFile, [this](QDialog& d) {
        QDir(At("inner")).removeRecursively();
        As<Form7>(d).Text1->setText("q");
        As<Form7>(d).Command2->click();
    });
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].startsWith(QStringLiteral("名前を変更できませんでした: ") +
                                               At("inner/p.jpg") + "\n"));
}

TEST_F(FileCommandsTest, NothingSelectedMeansNothingHappens) {
    Touch("a.jpg");
    Browse(root);
    for (Command command :
         {RenameSelectedFile, MoveSelectedFile, CopySelectedFile, DeleteSelectedFile})
        Run(command);
    EXPECT_EQ(dialogsOpened, 0);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_TRUE(DirCancel);
    EXPECT_TRUE(QFileInfo::exists(At("a.jpg")));
}

TEST_F(FileCommandsTest, MoveShowsOnlyItsButtonAndMovesTheFile) {
    Touch("a.jpg", "A");
    MakeFolder("dest");
    Browse(root, "a.jpg");
    Run(MoveSelectedFile, [this](QDialog& d) {
        Form6& form = As<Form6>(d);
        EXPECT_FALSE(DirCancel);
        EXPECT_EQ(form.Dir2->Path(), root);
        EXPECT_TRUE(form.Command14->isVisibleTo(&form));
        EXPECT_FALSE(form.Command13->isVisibleTo(&form));
        EXPECT_FALSE(form.Command15->isVisibleTo(&form));
        EXPECT_FALSE(form.Text2->isVisibleTo(&form));
        EXPECT_FALSE(form.Label16->isVisibleTo(&form));
        ASSERT_TRUE(form.Dir2->SetPath(At("dest")));
        form.Command14->click();
    });
    EXPECT_EQ(Read(At("dest/a.jpg")), "A");
    EXPECT_FALSE(QFileInfo::exists(At("a.jpg")));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(displayClears, 1);
    EXPECT_EQ(folderClears, 0);  // the relist ran while the flag was still down
    EXPECT_TRUE(DirCancel);
    EXPECT_EQ(Dir1->Path(), root);
    EXPECT_EQ(File1->ListCount(), 0);
}

TEST_F(FileCommandsTest, MoveOntoAnExistingFileKeepsBoth) {
    Touch("a.jpg", "here");
    MakeFolder("dest");
    Touch("dest/a.jpg", "there");
    Browse(root, "a.jpg");
    // Left on the current folder, the destination is the source itself.
    Run(MoveSelectedFile, [](QDialog& d) { As<Form6>(d).Command14->click(); });
    EXPECT_EQ(displayClears, 1);
    EXPECT_EQ(File1->ListIndex(), -1);  // the lists were re-read
    Browse(root, "a.jpg");
    Run(MoveSelectedFile, [this](QDialog& d) {
        As<Form6>(d).Dir2->SetPath(At("dest"));
        As<Form6>(d).Command14->click();
    });
    EXPECT_EQ(dialogs.messages,
              (QStringList{At("a.jpg") + QStringLiteral("　は既に存在します"),
                           At("dest/a.jpg") + QStringLiteral("　は既に存在します")}));
    EXPECT_EQ(Read(At("a.jpg")), "here");
    EXPECT_EQ(Read(At("dest/a.jpg")), "there");
    EXPECT_EQ(displayClears, 2);
    EXPECT_TRUE(DirCancel);
}

TEST_F(FileCommandsTest, FailedMoveIsReportedAndKeepsTheSource) {
    Touch("a.jpg", "A");
    MakeFolder("dest");
    Browse(root, "a.jpg");
    Run(MoveSelectedFile, [this](QDialog& d) {
        As<Form6>(d).Dir2->SetPath(At("dest"));
        QDir(At("dest")).removeRecursively();
        As<Form6>(d).Command14->click();
    });
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith(QStringLiteral("移動できませんでした: ")));
    EXPECT_EQ(Read(At("a.jpg")), "A");
    EXPECT_TRUE(DirCancel);
    EXPECT_EQ(displayClears, 1);
}

TEST_F(FileCommandsTest, CancelledMoveAndNewFolderLeaveTheFlagDown) {
    Touch("a.jpg");
    Browse(root, "a.jpg");
    Run(MoveSelectedFile, [](QDialog& d) { As<Form6>(d).Command12->click(); });
    EXPECT_FALSE(DirCancel);
    DirCancel = true;
    Run(CreateNewFolder, [](QDialog& d) { As<Form6>(d).Command12->click(); });
    EXPECT_FALSE(DirCancel);
    EXPECT_EQ(dialogsOpened, 2);
    EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"a.jpg"});
    EXPECT_EQ(displayClears, 0);
}

TEST_F(FileCommandsTest, CopyLeavesTheMainWindowAlone) {
    Touch("a.jpg", "A");
    MakeFolder("dest");
    Browse(root, "a.jpg");
    int changes = 0;
    QObject::connect(Dir1, &FolderList::Change, &window, [&changes] { ++changes; });
    Run(CopySelectedFile, [this](QDialog& d) {
        EXPECT_TRUE(As<Form6>(d).Command13->isVisibleTo(&d));
        EXPECT_FALSE(As<Form6>(d).Command14->isVisibleTo(&d));
        As<Form6>(d).Dir2->SetPath(At("dest"));
        As<Form6>(d).Command13->click();
    });
    EXPECT_EQ(Read(At("dest/a.jpg")), "A");
    EXPECT_EQ(Read(At("a.jpg")), "A");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(displayClears, 0);
    EXPECT_EQ(File1->FileName(), "a.jpg");
    EXPECT_TRUE(DirCancel);

    // Again onto the copy: refused with the full path; a vanished source is reported.
    Run(CopySelectedFile, [this](QDialog& d) {
        As<Form6>(d).Dir2->SetPath(At("dest"));
        As<Form6>(d).Command13->click();
    });
    QFile::remove(At("a.jpg"));
    QDir(At("dest")).mkdir("other");
    Run(CopySelectedFile, [this](QDialog& d) {
        As<Form6>(d).Dir2->SetPath(At("dest/other"));
        As<Form6>(d).Command13->click();
    });
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0], At("dest/a.jpg") + QStringLiteral("　は既に存在します"));
    EXPECT_TRUE(dialogs.messages[1].startsWith(QStringLiteral("コピーできませんでした: ")));
    EXPECT_TRUE(
        QDir(At("dest/other")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_F(FileCommandsTest, NewFolderIsCreatedAndTheSelectionRestored) {
    Touch("a.jpg");
    Touch("b.jpg");
    Browse(root, "b.jpg");
    Run(CreateNewFolder, [this](QDialog& d) {
        Form6& form = As<Form6>(d);
        EXPECT_FALSE(DirCancel);
        EXPECT_EQ(form.size(), QSize(340, 250));
        EXPECT_TRUE(form.Command15->isVisibleTo(&form));
        EXPECT_FALSE(form.Command14->isVisibleTo(&form));
        EXPECT_TRUE(form.Label16->isVisibleTo(&form));
        EXPECT_EQ(form.Text2->text(), QStringLiteral("新フォルダー名"));
        EXPECT_EQ(form.Text2->selectedText(), QStringLiteral("新フォルダー名"));
        form.Text2->setText(QStringLiteral("写真"));
        form.Command15->click();
    });
    EXPECT_TRUE(QFileInfo(At("写真")).isDir());
    EXPECT_TRUE(DirCancel);
    EXPECT_EQ(clicked, QStringList{"b.jpg"});
    EXPECT_EQ(folderClears, 0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FileCommandsTest, NewFolderNameTakenOrRefused) {
    MakeFolder("sub/old");
    Touch("sub/plain");
    Browse(At("sub"));
    const auto typeAndOk = [](const QString& name) {
        return [name](QDialog& d) {
            As<Form6>(d).Text2->setText(name);
            As<Form6>(d).Command15->click();
        };
    };
    Run(CreateNewFolder, typeAndOk("old"));
    EXPECT_FALSE(DirCancel);  // an existing folder ends before the flag is raised
    Run(CreateNewFolder, typeAndOk("plain"));
    EXPECT_TRUE(DirCancel);  // the creation was tried: the lists are re-read as usual
    Run(CreateNewFolder, typeAndOk(""));
    for (const char* bad : {"..", "a/b", "c\x01"}) Run(CreateNewFolder, typeAndOk(bad));

    ASSERT_EQ(dialogs.messages.size(), 5);
    EXPECT_EQ(dialogs.messages[0], At("sub/old") + QStringLiteral("　は既に存在します"));
    EXPECT_EQ(dialogs.messages[1], At("sub/plain") + QStringLiteral("　は既に存在します"));
    for (int i = 2; i < 5; ++i)
        EXPECT_TRUE(dialogs.messages[i].startsWith(QStringLiteral("この名前は使えません: ")));
    EXPECT_TRUE(QFileInfo(At("sub/plain")).isFile());
    EXPECT_EQ(QDir(At("sub")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"old", "plain"}));
    EXPECT_TRUE(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot).contains("sub"));
}

TEST_F(FileCommandsTest, NewFolderAtTheTopOfTheWalkedTree) {
    // Stands in for a root: the dialog's list starts at the folder the main window shows.
    Browse(root);
    Run(CreateNewFolder, [this](QDialog& d) {
        EXPECT_EQ(As<Form6>(d).Dir2->Path(), root);
        As<Form6>(d).Text2->setText("new");
        As<Form6>(d).Command15->click();
    });
    EXPECT_TRUE(QFileInfo(At("new")).isDir());
    EXPECT_EQ(Dir1->Path(), root);
}

// A folder on show that was deleted leaves the destination dialog with nothing listed: its
// commands are refused, not carried out at the root.
TEST_F(FileCommandsTest, NothingIsWrittenWhenTheFolderOnShowHasVanished) {
    const QString name = QStringLiteral("sorvenal-%1.jpg").arg(QCoreApplication::applicationPid());
    const struct {
        const char* what;
        Command command;
        QPushButton* Form6::*ok;
    } cases[] = {
        {"move", MoveSelectedFile, &Form6::Command14},
        {"copy", CopySelectedFile, &Form6::Command13},
        {"new folder", CreateNewFolder, &Form6::Command15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.messages.clear();
        MakeFolder("gone");
        Touch("gone/" + name, "A");
        Browse(At("gone"), name);
        ASSERT_TRUE(QDir(At("gone")).removeRecursively());
        Run(c.command, [&](QDialog& d) {
            Form6& form = As<Form6>(d);
            EXPECT_TRUE(form.Dir2->NativeFolder().isEmpty());
            form.Text2->setText(name);
            (form.*c.ok)->click();
        });
        EXPECT_EQ(dialogs.messages,
                  QStringList{QStringLiteral("保存先のフォルダーがありません"
                                             "（表示中のフォルダーが削除されたか、読めません）")});
        const bool atRoot = QFileInfo::exists(QLatin1Char('/') + name);
        EXPECT_FALSE(atRoot);
        if (atRoot && !QDir::root().remove(name)) QDir::root().rmdir(name);
        EXPECT_EQ(Dir1->Path(), At("gone"));  // the window stays, not taken to the root
    }
}

TEST_F(FileCommandsTest, DeleteAsksAndMovesToTheTrash) {
    QTemporaryDir data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    Touch("a.jpg", "A");
    Touch("b.jpg");
    Browse(root, "a.jpg");

    dialogs.yesNoAnswers = {false};
    Run(DeleteSelectedFile);
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("a.jpg を削除しますか")});
    EXPECT_TRUE(QFileInfo::exists(At("a.jpg")));
    EXPECT_EQ(displayClears, 0);

    dialogs.yesNoAnswers = {true};
    Run(DeleteSelectedFile);
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_FALSE(QFileInfo::exists(At("a.jpg")));
    EXPECT_EQ(Read(data.filePath("Trash/files/a.jpg")), "A");
    EXPECT_EQ(displayClears, 1);
    EXPECT_EQ(File1->ListCount(), 1);
    EXPECT_EQ(File1->ListIndex(), -1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FileCommandsTest, FolderRenameShowsTheParent) {
    MakeFolder("photos/sub");
    MakeFolder("taken");
    Browse(At("photos"));
    Run(RenameCurrentFolder, [](QDialog& d) {
        Form5& form = As<Form5>(d);
        EXPECT_EQ(form.size(), QSize(278, 130));
        EXPECT_EQ(form.Text1->text(), "photos");
        EXPECT_EQ(form.Text1->selectedText(), "photos");
        form.Command12->click();  // unchanged
    });
    Run(RenameCurrentFolder, [](QDialog& d) {
        As<Form5>(d).Text1->setText("taken");
        As<Form5>(d).Command12->click();
    });
    Run(RenameCurrentFolder, [](QDialog& d) {
        As<Form5>(d).Text1->setText("..");
        As<Form5>(d).Command12->click();
    });
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("photos　フォルダーは既に存在します"));
    EXPECT_EQ(dialogs.messages[1], QStringLiteral("taken　フォルダーは既に存在します"));
    EXPECT_EQ(Dir1->Path(), At("photos"));

    Run(RenameCurrentFolder, [](QDialog& d) {
        As<Form5>(d).Text1->setText(QStringLiteral("旅行"));
        As<Form5>(d).Command12->click();
    });
    EXPECT_TRUE(QFileInfo(At("旅行/sub")).isDir());
    EXPECT_EQ(Dir1->Path(), root);
    EXPECT_EQ(folderClears, 1);
}

TEST_F(FileCommandsTest, FolderRenameRefusedAtTheRoot) {
    Browse(FolderList::RootPath());
    Run(RenameCurrentFolder);
    EXPECT_EQ(dialogsOpened, 0);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(FileCommandsTest, PointerOnTheBackgroundFocusesTheNewFolderName) {
    Form6 form(NativeOf(root));
    form.Text2->show();
    form.show();
    const auto move = [&form](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, form.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &event);
    };
    form.Command12->setFocus();
    move(form.Label15->geometry().center());
    EXPECT_EQ(form.focusWidget(), form.Command12);
    move(QPoint(form.width() - 3, form.height() - 3));
    EXPECT_EQ(form.focusWidget(), form.Text2);
}

}  // namespace
}  // namespace sorvenal
