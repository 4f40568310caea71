// The folder and file lists on real folders: what they show and when they raise their events.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "platform/file_list.h"
#include "platform/folder_list.h"

namespace sorvenal {
namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

QStringList Shown(const FileList& list) {
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i) names << list.List(i);
    return names;
}

TEST(FileListTest, ShowsPicturesOfThePatternWhateverTheirCase) {
    QTemporaryDir dir;
    for (const char* name :
         {"b.jpg", "A.BMP", "PHOTO.JPG", "c.Gif", "notes.txt", "x.png", ".hidden.jpg"})
        Touch(dir.filePath(name));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    FileList list;
    list.SetPattern(QStringLiteral("*.bmp;*.jpg;*.gif"));
    list.SetPath(dir.path());
    EXPECT_EQ(Shown(list), QStringList({"A.BMP", "b.jpg", "c.Gif", "PHOTO.JPG"}));
    EXPECT_EQ(list.ListIndex(), -1);
    EXPECT_EQ(list.FileName(), QString());

    Touch(dir.filePath("d.jpg"));
    list.SetPath(dir.path());  // setting the path re-reads the disk at once
    EXPECT_EQ(list.ListCount(), 5);
}

TEST(FileListTest, SelectingByCodeRaisesClickEveryTime) {
    QTemporaryDir dir;
    Touch(dir.filePath("a.jpg"));
    Touch(dir.filePath("b.jpg"));
    FileList list;
    list.SetPattern(QStringLiteral("*.jpg"));
    QSignalSpy clicks(&list, &FileList::Click);
    list.SetPath(dir.path());
    EXPECT_EQ(clicks.count(), 0);  // re-reading selects nothing

    EXPECT_TRUE(list.SetListIndex(1));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(list.FileName(), QStringLiteral("b.jpg"));
    EXPECT_TRUE(list.SetListIndex(1));
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_TRUE(list.SetListIndex(-1));
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_FALSE(list.SetListIndex(2));
    EXPECT_FALSE(list.SetListIndex(-2));
    EXPECT_EQ(clicks.count(), 2);
}

// A press makes the row current before it selects it: the click must see the file.
TEST(FileListTest, MouseClickRaisesClickWithTheFileSelected) {
    QTemporaryDir dir;
    Touch(dir.filePath("a.jpg"));
    Touch(dir.filePath("b.jpg"));
    FileList list;
    list.SetPattern(QStringLiteral("*.jpg"));
    list.SetPath(dir.path());
    list.show();
    QStringList seen;
    QObject::connect(&list, &FileList::Click, [&] { seen << list.FileName(); });
    for (int row : {1, 0}) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                          list.visualItemRect(list.item(row)).center());
    }
    EXPECT_EQ(seen, (QStringList{QStringLiteral("b.jpg"), QStringLiteral("a.jpg")}));
}

TEST(FolderListTest, ChangesOnlyToReadableFoldersAndOnlyOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("b"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("A"));
    Touch(dir.filePath("file.jpg"));
    FolderList list;
    QSignalSpy changes(&list, &FolderList::Change);
    ASSERT_TRUE(list.SetPath(dir.path()));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list.Path(), QDir(dir.path()).absolutePath());
    // Ancestors down to the current folder, then its subfolders by name.
    ASSERT_GE(list.count(), 3);
    EXPECT_EQ(list.item(list.count() - 2)->text().trimmed(), QStringLiteral("A"));
    EXPECT_EQ(list.item(list.count() - 1)->text().trimmed(), QStringLiteral("b"));
    EXPECT_EQ(list.item(0)->text(), FolderList::RootPath());

    EXPECT_TRUE(list.SetPath(dir.path() + QStringLiteral("/")));  // the same folder
    EXPECT_EQ(changes.count(), 1);
    EXPECT_FALSE(list.SetPath(dir.filePath("missing")));
    EXPECT_FALSE(list.SetPath(dir.filePath("file.jpg")));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list.Path(), QDir(dir.path()).absolutePath());

    EXPECT_EQ(list.ListParent(), QFileInfo(QDir(dir.path()).absolutePath()).absolutePath());
    ASSERT_TRUE(list.SetPath(FolderList::RootPath()));
    EXPECT_EQ(list.ListParent(), QString());
}

// After a file command or a save, both lists show the disk as it is now: through the window's
// own folder change where there is one, by hand at the root where there is none.
TEST(FolderListTest, RelistingRereadsBothListsAlsoAtTheRoot) {
    QTemporaryDir dir;
    Touch(dir.filePath("a.jpg"));
    FolderList Dir1;
    FileList File1;
    File1.SetPattern(QStringLiteral("*.jpg"));
    int folderChanges = 0;
    QObject::connect(&Dir1, &FolderList::Change, [&] {
        ++folderChanges;
        File1.SetNativePath(Dir1.NativeFolder());
    });
    ASSERT_TRUE(Dir1.SetPath(dir.path()));
    ASSERT_EQ(File1.ListCount(), 1);

    Touch(dir.filePath("b.jpg"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("new"));
    folderChanges = 0;
    RelistFolders(Dir1, &File1, Dir1.NativeFolder());
    EXPECT_EQ(folderChanges, 2);  // away and back: the window's handler ran
    EXPECT_EQ(Dir1.Path(), QDir(dir.path()).absolutePath());
    EXPECT_EQ(Shown(File1), QStringList({"a.jpg", "b.jpg"}));
    EXPECT_EQ(Dir1.item(Dir1.count() - 1)->text().trimmed(), QStringLiteral("new"));

    // At the root nothing changes, yet the file list is read again. It is pointed at this
    // folder by hand, as the root's own contents are not ours to change.
    ASSERT_TRUE(Dir1.SetPath(FolderList::RootPath()));
    File1.SetPath(dir.path());
    Touch(dir.filePath("c.jpg"));
    folderChanges = 0;
    RelistFolders(Dir1, &File1, Dir1.NativeFolder());
    EXPECT_EQ(folderChanges, 0);
    EXPECT_EQ(Dir1.Path(), FolderList::RootPath());
    EXPECT_EQ(Shown(File1), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    RelistFolders(Dir1, nullptr, Dir1.NativeFolder());  // no file list: the folders alone
    EXPECT_EQ(Dir1.Path(), FolderList::RootPath());
}

}  // namespace
}  // namespace sorvenal
