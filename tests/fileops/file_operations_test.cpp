// The disk operations on real temporary folders.
#include "fileops/file_operations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>

#include "platform/error_texts.h"

namespace sorvenal {
namespace {

class FileOperationsTest : public ::testing::Test {
protected:
    NativePath Path(const QString& name) const { return NativeOf(dir.filePath(name)); }
    NativePath Write(const QString& name, const QByteArray& bytes) const {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return NativeOf(file.fileName());
    }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Names in the folder, hidden ones included, so a left-over temporary would show.
    QStringList Entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    QTemporaryDir dir;
};

TEST_F(FileOperationsTest, ExistenceTellsFilesFromFolders) {
    Write("a.jpg", "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    EXPECT_TRUE(IsFile(Path("a.jpg")));
    EXPECT_FALSE(IsFolder(Path("a.jpg")));
    EXPECT_TRUE(IsFolder(Path("sub")));
    EXPECT_FALSE(IsFile(Path("sub")));
    EXPECT_FALSE(IsFile(Path("none.jpg")));
    EXPECT_FALSE(IsFolder(Path("none")));
}

TEST_F(FileOperationsTest, RenameNeverReplaces) {
    Write("a.jpg", "aaa");
    Write("b.jpg", "bbb");
    const FileOpResult taken = FileOpOutcome(RenameNoReplace(Path("a.jpg"), Path("b.jpg")));
    EXPECT_EQ(taken.status, FileOpStatus::Exists);
    EXPECT_EQ(Read(Path("a.jpg")), "aaa");
    EXPECT_EQ(Read(Path("b.jpg")), "bbb");

    EXPECT_TRUE(FileOpOutcome(RenameNoReplace(Path("a.jpg"), Path("c.jpg"))).ok());
    EXPECT_EQ(Read(Path("c.jpg")), "aaa");
    EXPECT_FALSE(QFileInfo::exists(Path("a.jpg")));

    const FileOpResult missing = FileOpOutcome(RenameNoReplace(Path("gone.jpg"), Path("d.jpg")));
    EXPECT_EQ(missing.status, FileOpStatus::Failed);
    EXPECT_FALSE(ErrorText(missing.error).isEmpty());
}

TEST_F(FileOperationsTest, CopyKeepsBytesAndTimeAndLeavesNoTemporary) {
    QByteArray bytes(3 << 20, '\0');  // larger than one copy buffer
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    const NativePath source = Write("a.jpg", bytes);
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1'000'000'000);
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::Append));
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("dest"));

    ASSERT_TRUE(FileOpOutcome(CopyNoReplace(source, Path("dest/a.jpg"))).ok());
    EXPECT_EQ(Read(Path("dest/a.jpg")), bytes);
    EXPECT_EQ(Read(source), bytes);
    EXPECT_EQ(QFileInfo(Path("dest/a.jpg")).lastModified(), stamp);
    EXPECT_EQ(Entries(Path("dest")), QStringList{"a.jpg"});
}

TEST_F(FileOperationsTest, CopyRefusesToReplaceAndFailsCleanly) {
    const NativePath source = Write("a.jpg", "new");
    ASSERT_TRUE(QDir(dir.path()).mkdir("dest"));
    Write("dest/a.jpg", "old");
    EXPECT_EQ(FileOpOutcome(CopyNoReplace(source, Path("dest/a.jpg"))).status,
              FileOpStatus::Exists);
    EXPECT_EQ(Read(Path("dest/a.jpg")), "old");

    // A folder that vanished, and a source that is no file.
    EXPECT_EQ(FileOpOutcome(CopyNoReplace(source, Path("gone/a.jpg"))).status,
              FileOpStatus::Failed);
    EXPECT_EQ(FileOpOutcome(CopyNoReplace(Path("dest"), Path("copy"))).status,
              FileOpStatus::Failed);
    EXPECT_EQ(Entries(Path("dest")), QStringList{"a.jpg"});
    EXPECT_FALSE(QFileInfo::exists(Path("copy")));
}

TEST_F(FileOperationsTest, ReadOnlyFolderRefusesEveryWrite) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not stop the superuser";
    const NativePath source = Write("a.jpg", "A");
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    ASSERT_EQ(::chmod(QFile::encodeName(Path("locked")).constData(), 0555), 0);
    EXPECT_EQ(FileOpOutcome(CopyNoReplace(source, Path("locked/a.jpg"))).status,
              FileOpStatus::Failed);
    EXPECT_EQ(MoveFile(source, Path("locked/a.jpg")).status, FileOpStatus::Failed);
    EXPECT_EQ(FileOpOutcome(MakeFolder(Path("locked/sub"))).status, FileOpStatus::Failed);
    ::chmod(QFile::encodeName(Path("locked")).constData(), 0755);
    EXPECT_EQ(Read(source), "A");
    EXPECT_TRUE(Entries(Path("locked")).isEmpty());
}

TEST_F(FileOperationsTest, MoveWithinOneFileSystem) {
    Write("a.jpg", "aaa");
    ASSERT_TRUE(QDir(dir.path()).mkdir("dest"));
    Write("dest/b.jpg", "bbb");
    EXPECT_EQ(MoveFile(Path("a.jpg"), Path("dest/b.jpg")).status, FileOpStatus::Exists);
    EXPECT_EQ(Read(Path("a.jpg")), "aaa");
    EXPECT_EQ(Read(Path("dest/b.jpg")), "bbb");

    const FileOpResult failed = MoveFile(Path("a.jpg"), Path("gone/a.jpg"));
    EXPECT_EQ(failed.status, FileOpStatus::Failed);
    EXPECT_EQ(Read(Path("a.jpg")), "aaa");  // the source stays after a failed move

    ASSERT_TRUE(MoveFile(Path("a.jpg"), Path("dest/a.jpg")).ok());
    EXPECT_EQ(Read(Path("dest/a.jpg")), "aaa");
    EXPECT_FALSE(QFileInfo::exists(Path("a.jpg")));
}

TEST_F(FileOperationsTest, MoveAcrossFileSystemsCopiesThenRemoves) {
    struct stat here {
    }, there{};
    if (::stat(QFile::encodeName(dir.path()).constData(), &here) != 0 ||
        ::stat("/dev/shm", &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    QTemporaryDir other(QStringLiteral("/dev/shm/sorvenal-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    Write("a.jpg", "across");
    QFile(other.filePath("b.jpg")).open(QIODevice::WriteOnly);

    EXPECT_EQ(MoveFile(Path("a.jpg"), NativeOf(other.filePath("b.jpg"))).status,
              FileOpStatus::Exists);
    EXPECT_TRUE(QFileInfo::exists(Path("a.jpg")));
    ASSERT_TRUE(MoveFile(Path("a.jpg"), NativeOf(other.filePath("a.jpg"))).ok());
    EXPECT_EQ(Read(other.filePath("a.jpg")), "across");
    EXPECT_FALSE(QFileInfo::exists(Path("a.jpg")));
    EXPECT_EQ(Entries(other.path()), (QStringList{"a.jpg", "b.jpg"}));
}

TEST_F(FileOperationsTest, FoldersAreCreatedAndRenamedWithoutReplacing) {
    EXPECT_TRUE(FileOpOutcome(MakeFolder(Path("sub"))).ok());
    EXPECT_TRUE(IsFolder(Path("sub")));
    EXPECT_EQ(FileOpOutcome(MakeFolder(Path("sub"))).status, FileOpStatus::Exists);
    Write("plain", "file");
    EXPECT_EQ(FileOpOutcome(MakeFolder(Path("plain"))).status, FileOpStatus::Exists);
    EXPECT_EQ(FileOpOutcome(MakeFolder(Path("gone/sub"))).status, FileOpStatus::Failed);

    // A plain rename would silently replace an empty folder.
    ASSERT_TRUE(FileOpOutcome(MakeFolder(Path("empty"))).ok());
    Write("sub/keep.jpg", "k");
    EXPECT_EQ(FileOpOutcome(RenameNoReplace(Path("sub"), Path("empty"))).status,
              FileOpStatus::Exists);
    EXPECT_EQ(Read(Path("sub/keep.jpg")), "k");
    EXPECT_TRUE(FileOpOutcome(RenameNoReplace(Path("sub"), Path("renamed"))).ok());
    EXPECT_EQ(Read(Path("renamed/keep.jpg")), "k");
}

TEST_F(FileOperationsTest, DeleteGoesToTheTrash) {
    QTemporaryDir data;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    Write("a.jpg", "trash me");

    const FileOpResult deleted = DeleteToTrash(Path("a.jpg"));
    ASSERT_TRUE(deleted.ok()) << ErrorText(deleted.error).toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("a.jpg")));
    EXPECT_EQ(Read(data.filePath("Trash/files/a.jpg")), "trash me");

    const FileOpResult again = DeleteToTrash(Path("a.jpg"));
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(again.status, FileOpStatus::Failed);
    EXPECT_EQ(again.error, ENOENT);
    EXPECT_EQ(again.culprit, Path("a.jpg"));
}

TEST(ValidateNewName, RefusesWhatIsNoSingleName) {
    EXPECT_EQ(ValidateNewName("photo"), NameProblem::None);
    EXPECT_EQ(ValidateNewName("写真 2024.jpg"), NameProblem::None);
    // A leading dot hides the file from every list, so it never gets one.
    EXPECT_EQ(ValidateNewName("...jpg"), NameProblem::HiddenName);
    EXPECT_EQ(ValidateNewName(".x"), NameProblem::HiddenName);
    EXPECT_EQ(ValidateNewName("a/b"), NameProblem::Separator);
    EXPECT_EQ(ValidateNewName("/"), NameProblem::Separator);
    EXPECT_EQ(ValidateNewName("."), NameProblem::HiddenName);
    EXPECT_EQ(ValidateNewName(".."), NameProblem::HiddenName);
    EXPECT_EQ(ValidateNewName("a\tb"), NameProblem::ControlChar);
    EXPECT_EQ(ValidateNewName(QString("a") + QChar(0x7f)), NameProblem::ControlChar);
    EXPECT_EQ(ValidateNewName(QString("a") + QChar(0x85)), NameProblem::ControlChar);
}

}  // namespace
}  // namespace sorvenal
