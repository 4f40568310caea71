// The file menu where the disk says no, where names are long, hidden or not UTF-8, and where
// the trash cannot take a file: nothing may hang, vanish, land in the wrong place or be
// deleted for good without a second yes. Refusals a root test cannot meet come from the shim.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <optional>

#include "fileops/file_commands.h"
#include "fileops/file_dialogs.h"
#include "platform/error_texts.h"
#include "platform/file_list.h"
#include "platform/file_system.h"
#include "platform/folder_list.h"
#include "tests/fileops/file_ops_window.h"
#include "tests/support/fault.h"
#include "tests/support/fs_helpers.h"
#include "tests/support/scripted_dialogs.h"

namespace sorvenal {
namespace {

using test::ReadFile;
using test::ScopedFault;
using test::WriteFile;

const QString kNoTrashBefore = QStringLiteral("ごみ箱に移せません（");
const QString kNoTrashAfter = QStringLiteral("）。完全に削除しますか");

class FileSafetyTest : public ::testing::Test, public test::FileOpsWindow {
protected:
    using test::FileOpsWindow::Run;  // not the test framework's own

    void SetUp() override {
        ASSERT_TRUE(ScopedFault::ShimLoaded()) << "the fault shim is not preloaded";
        root = NativeOf(QDir(tmp.path()).canonicalPath());
        data = At("data");
        xdg.emplace("XDG_DATA_HOME", data.constData());
        ASSERT_EQ(::mkdir(At("pics").constData(), 0755), 0);
        QObject::connect(Dir1, &FolderList::Change, &window,
                         [this] { File1->SetNativePath(Dir1->NativeFolder()); });
    }
    NativePath At(const NativePath& relative) const { return JoinNative(root, relative); }
    QString Shown(const NativePath& relative) const { return ShownPath(At(relative)); }
    void Browse(const NativePath& folder, int select = 0) {
        ASSERT_TRUE(Dir1->SetNativePath(folder));
        if (select >= 0) {
            ASSERT_TRUE(File1->SetListIndex(select));
        }
    }
    static std::function<void(QDialog&)> Rename(const QString& typed) {
        return [typed](QDialog& d) {
            auto& form = dynamic_cast<Form7&>(d);
            form.Text1->setText(typed);
            form.Command2->click();
        };
    }
    static std::function<void(QDialog&)> ToFolder(const NativePath& folder, bool move) {
        return [folder, move](QDialog& d) {
            auto& form = dynamic_cast<Form6&>(d);
            ASSERT_TRUE(form.Dir2->SetNativePath(folder));
            (move ? form.Command14 : form.Command13)->click();
        };
    }

    QTemporaryDir tmp;
    NativePath root;
    NativePath data;
    std::optional<test::ScopedEnv> xdg;
};

TEST_F(FileSafetyTest, DeletingAVeryLongNameEndsWithTheFileInTheTrash) {
    QString kanji;
    for (int i = 0; i < 82; ++i) kanji += QChar(0x9854);  // 顔
    const NativePath name = NativeOf(kanji) + ".jpg";     // 250 bytes
    WriteFile(At("pics/" + name), "long");
    Browse(At("pics"));
    dialogs.yesNoAnswers = {true};
    Run(DeleteSelectedFile);
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_FALSE(PathExists(At("pics/" + name)));
    const QStringList trashed = test::Entries(JoinNative(data, "Trash/files"));
    ASSERT_EQ(trashed.size(), 1);
    EXPECT_TRUE(trashed[0].startsWith(QString(10, QChar(0x9854))));
    EXPECT_EQ(displayClears, 1);
}

TEST_F(FileSafetyTest, AFreshAccountsTrashIsUnderHomeNotInThePictureFolder) {
    test::ScopedEnv unset("XDG_DATA_HOME", nullptr);
    ASSERT_EQ(::mkdir(At("home").constData(), 0755), 0);
    test::ScopedEnv home("HOME", At("home").constData());
    WriteFile(At("pics/a.jpg"), "A");
    WriteFile(At("pics/b.jpg"), "B");
    char saved[4096];
    ASSERT_TRUE(::getcwd(saved, sizeof saved));
    ASSERT_EQ(::chdir(At("pics").constData()), 0);  // started in the picture folder
    Browse(At("pics"));
    dialogs.yesNoAnswers = {true, true};
    Run(DeleteSelectedFile);
    {  // A relative value names no place; it counts as unset.
        test::ScopedEnv relative("XDG_DATA_HOME", "data");
        ASSERT_TRUE(File1->SetListIndex(0));
        Run(DeleteSelectedFile);
    }
    ASSERT_EQ(::chdir(saved), 0);
    EXPECT_EQ(test::Entries(At("pics")), QStringList());
    EXPECT_EQ(test::Entries(At("home/.local/share/Trash/files")), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(Dir1->Path(), Shown("pics"));
    EXPECT_EQ(Dir1->count(), 1 + Shown("pics").count(QLatin1Char('/')));  // no new folders
}

TEST_F(FileSafetyTest, WhenTheTrashCannotTakeTheFileASecondQuestionDecides) {
    WriteFile(At("pics/a.jpg"), "A");
    ASSERT_EQ(::mkdir(data.constData(), 0700), 0);
    WriteFile(JoinNative(data, "Trash"), "not a folder");
    Browse(At("pics"));

    dialogs.yesNoAnswers = {true, false};
    Run(DeleteSelectedFile);
    ASSERT_EQ(dialogs.questions.size(), 2);
    const QString second = dialogs.questions[1];
    EXPECT_TRUE(second.startsWith(kNoTrashBefore)) << second.toStdString();
    EXPECT_TRUE(second.endsWith(kNoTrashAfter)) << second.toStdString();
    EXPECT_TRUE(second.contains(ErrorText(ENOTDIR)));
    EXPECT_TRUE(second.contains(ShownPath(JoinNative(data, "Trash"))));
    EXPECT_EQ(ReadFile(At("pics/a.jpg")), "A");  // いいえ: nothing deleted
    EXPECT_EQ(displayClears, 0);
    EXPECT_EQ(File1->ListIndex(), 0);

    {  // Full disk while the trash writes its info file: the same question, now answered yes.
        ASSERT_EQ(::unlink(JoinNative(data, "Trash").constData()), 0);
        ScopedFault full("write", ENOSPC, "/Trash/info/");
        dialogs.yesNoAnswers = {true, true};
        Run(DeleteSelectedFile);
    }
    ASSERT_EQ(dialogs.questions.size(), 4);
    EXPECT_TRUE(dialogs.questions[3].contains(ErrorText(ENOSPC)));
    EXPECT_EQ(ReadFile(At("pics/a.jpg")), "<missing>");
    EXPECT_EQ(test::Entries(JoinNative(data, "Trash/files")), QStringList());
    EXPECT_EQ(test::Entries(JoinNative(data, "Trash/info")), QStringList());
    EXPECT_EQ(displayClears, 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FileSafetyTest, AVanishedFileIsReportedNotOfferedForDeletion) {
    WriteFile(At("pics/a.jpg"), "A");
    Browse(At("pics"));
    ASSERT_EQ(::unlink(At("pics/a.jpg").constData()), 0);
    dialogs.yesNoAnswers = {true, true};
    Run(DeleteSelectedFile);
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("削除できませんでした: ") +
                                            Shown("pics/a.jpg") + "\n" + ErrorText(ENOENT)});
}

TEST_F(FileSafetyTest, AShiftJisNameIsListedRenamedCopiedAndDeleted) {
    const NativePath face = "\x8a\xe7.bmp";        // 顔.bmp in Shift_JIS
    const NativePath photo = "\x8e\xca\x90^.jpg";  // 写真.jpg
    WriteFile(At("pics/" + face), "face");
    WriteFile(At("pics/" + photo), "photo");
    ASSERT_EQ(::mkdir(At("dest").constData(), 0755), 0);
    Browse(At("pics"), -1);
    ASSERT_EQ(File1->ListCount(), 2);
    EXPECT_EQ(File1->List(0), QStringLiteral("写真.jpg"));
    EXPECT_EQ(File1->List(1), QStringLiteral("顔.bmp"));

    ASSERT_TRUE(File1->SetListIndex(0));
    Run(CopySelectedFile, ToFolder(At("dest"), false));
    EXPECT_EQ(ReadFile(At("dest/" + photo)), "photo");

    ASSERT_TRUE(File1->SetListIndex(1));
    Run(RenameSelectedFile, Rename(QStringLiteral("笑顔")));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(ReadFile(At("pics/笑顔.bmp")), "face");
    EXPECT_FALSE(PathExists(At("pics/" + face)));

    ASSERT_TRUE(File1->SetListIndex(0));
    ASSERT_EQ(File1->FileName(), QStringLiteral("写真.jpg"));
    dialogs.yesNoAnswers = {true};
    Run(DeleteSelectedFile);
    EXPECT_EQ(dialogs.questions.back(), QStringLiteral("写真.jpg を削除しますか"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_FALSE(PathExists(At("pics/" + photo)));
    EXPECT_EQ(ReadFile(JoinNative(data, "Trash/files/" + photo)), "photo");
}

TEST_F(FileSafetyTest, ARefusedFolderRenameStaysInTheFolder) {
    ASSERT_EQ(::mkdir(At("pics/trip").constData(), 0755), 0);
    Browse(At("pics/trip"), -1);
    ScopedFault refused("rename", EACCES, "/pics/trip");
    for (int i = 0; i < 2; ++i) {
        Run(RenameCurrentFolder, [](QDialog& d) {
            auto& form = dynamic_cast<Form5&>(d);
            EXPECT_EQ(form.Text1->text(), "trip");  // not the parent's name
            form.Text1->setText("holiday");
            form.Command12->click();
        });
        EXPECT_EQ(Dir1->Path(), Shown("pics/trip"));
    }
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0], QStringLiteral("フォルダー名を変更できませんでした: ") +
                                       Shown("pics/trip") + "\n" + ErrorText(EACCES));
    EXPECT_TRUE(IsFolder(At("pics/trip")));
}

TEST_F(FileSafetyTest, ANameThatWouldBeHiddenIsRefused) {
    WriteFile(At("pics/a.jpg"), "A");
    Browse(At("pics"));
    for (const QString& typed : {QStringLiteral(".."), QStringLiteral(".x")}) {
        Run(RenameSelectedFile, Rename(typed));
        ASSERT_FALSE(dialogs.messages.isEmpty());
        EXPECT_TRUE(dialogs.messages.back().contains(QStringLiteral("一覧に表示されなくなります")))
            << dialogs.messages.back().toStdString();
    }
    Run(CreateNewFolder, [](QDialog& d) {
        auto& form = dynamic_cast<Form6&>(d);
        form.Text2->setText(".cache");
        form.Command15->click();
    });
    EXPECT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(test::Entries(At("pics")), QStringList{"a.jpg"});
}

TEST_F(FileSafetyTest, EveryRefusalNamesTheFileAtFaultInJapanese) {
    WriteFile(At("pics/a.jpg"), "A");
    ASSERT_EQ(::mkdir(At("dest").constData(), 0755), 0);
    Browse(At("pics"));
    const QString failed = QStringLiteral("できませんでした: ");

    {  // Full disk: the copy that could not be written is named.
        ScopedFault full("write", ENOSPC, "/dest");
        Run(CopySelectedFile, ToFolder(At("dest"), false));
    }
    EXPECT_EQ(dialogs.messages.back(),
              QStringLiteral("コピー") + failed + Shown("dest/a.jpg") + "\n" + ErrorText(ENOSPC));
    EXPECT_EQ(test::Entries(At("dest")), QStringList());

    {  // A read-only file system refuses the rename.
        ScopedFault readOnly("rename", EROFS, "/pics/");
        Run(RenameSelectedFile, Rename("b"));
    }
    EXPECT_EQ(dialogs.messages.back(), QStringLiteral("名前を変更") + failed + Shown("pics/a.jpg") +
                                           "\n" + ErrorText(EROFS));

    // A name too long is the new name's fault.
    Browse(At("pics"));
    Run(RenameSelectedFile, Rename(QString(252, QLatin1Char('n'))));
    EXPECT_EQ(dialogs.messages.back(), QStringLiteral("名前を変更") + failed +
                                           Shown("pics/" + NativePath(252, 'n') + ".jpg") + "\n" +
                                           ErrorText(ENAMETOOLONG));

    {  // Permission denied for a new folder.
        ScopedFault denied("mkdir", EACCES, "/dest/new");
        Run(CreateNewFolder, [this](QDialog& d) {
            auto& form = dynamic_cast<Form6&>(d);
            ASSERT_TRUE(form.Dir2->SetNativePath(At("dest")));
            form.Text2->setText("new");
            form.Command15->click();
        });
    }
    EXPECT_EQ(dialogs.messages.back(), QStringLiteral("フォルダーを作成") + failed +
                                           Shown("dest/new") + "\n" + ErrorText(EACCES));

    // A source that vanished while the dialog was open is the source's fault.
    Browse(At("pics"));
    Run(MoveSelectedFile, [this](QDialog& d) {
        ASSERT_EQ(::unlink(At("pics/a.jpg").constData()), 0);
        ToFolder(At("dest"), true)(d);
    });
    EXPECT_EQ(dialogs.messages.back(),
              QStringLiteral("移動") + failed + Shown("pics/a.jpg") + "\n" + ErrorText(ENOENT));
    EXPECT_EQ(dialogs.messages.size(), 5);
}

}  // namespace
}  // namespace sorvenal
