// The file-system layer on real folders, with the refusals a root test cannot meet by itself
// (full disk, read-only file system, permission) made by the preloaded fault shim.
#include "platform/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cerrno>
#include <set>

#include "platform/error_texts.h"
#include "tests/support/fault.h"
#include "tests/support/fs_helpers.h"

namespace sorvenal {
namespace {

using test::ScopedFault;

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ScopedFault::ShimLoaded()) << "the fault shim is not preloaded";
        root = NativeOf(QDir(tmp.path()).canonicalPath());
    }
    NativePath At(const NativePath& relative) const { return JoinNative(root, relative); }

    QTemporaryDir tmp;
    NativePath root;
};

TEST(ErrorText, EveryCommonErrorHasItsOwnJapaneseText) {
    const int errors[] = {ENOENT,       EACCES, EPERM, EROFS,  ENOSPC,  EDQUOT,
                          ENAMETOOLONG, EEXIST, EXDEV, EIO,    ENOTDIR, EISDIR,
                          ENOTEMPTY,    EBUSY,  ELOOP, EMLINK, ETXTBSY};
    std::set<QString> seen;
    for (const int error : errors) {
        const QString text = ErrorText(error);
        SCOPED_TRACE(error);
        EXPECT_FALSE(text.isEmpty());
        // No English system text: no Latin letters at all.
        for (const QChar c : text)
            EXPECT_FALSE(c.isLetter() && c.unicode() < 0x80) << text.toStdString();
        EXPECT_TRUE(seen.insert(text).second) << "shared text " << text.toStdString();
    }
    EXPECT_TRUE(ErrorText(0).isEmpty());
    EXPECT_TRUE(ErrorText(12345).contains(QStringLiteral("12345")));
}

TEST(ShownName, Utf8ThenShiftJisThenReplacementMarks) {
    EXPECT_EQ(ShownName("写真.jpg"), QStringLiteral("写真.jpg"));
    EXPECT_EQ(ShownName("\x8a\xe7.bmp"), QStringLiteral("顔.bmp"));
    EXPECT_EQ(ShownName("\x8e\xca\x90^.jpg"), QStringLiteral("写真.jpg"));
    // Latin-1 "été": no clean Shift_JIS either, so the broken bytes are marked.
    const QString latin = ShownName("\xe9t\xe9.jpg");
    EXPECT_TRUE(latin.contains(QChar(0xFFFD))) << latin.toStdString();
    EXPECT_TRUE(latin.endsWith(QStringLiteral("t\uFFFD.jpg")));
    EXPECT_EQ(ShownPath("/写真/\x8a\xe7.bmp"), QStringLiteral("/写真/顔.bmp"));
}

TEST_F(FileSystemTest, RenameNeverReplacesAndBlamesTheRightName) {
    test::WriteFile(At("a.jpg"), "aaa");
    test::WriteFile(At("b.jpg"), "bbb");
    FsStatus taken = RenameNoReplace(At("a.jpg"), At("b.jpg"));
    EXPECT_EQ(taken.error, EEXIST);
    EXPECT_EQ(taken.path, At("b.jpg"));
    EXPECT_EQ(test::ReadFile(At("a.jpg")), "aaa");
    EXPECT_EQ(test::ReadFile(At("b.jpg")), "bbb");

    // A vanished source is the source's fault; a vanished folder is the target's.
    FsStatus vanished = RenameNoReplace(At("gone.jpg"), At("c.jpg"));
    EXPECT_EQ(vanished.error, ENOENT);
    EXPECT_EQ(vanished.path, At("gone.jpg"));
    FsStatus noFolder = RenameNoReplace(At("a.jpg"), At("gone/c.jpg"));
    EXPECT_EQ(noFolder.error, ENOENT);
    EXPECT_EQ(noFolder.path, At("gone/c.jpg"));

    const NativePath tooLong = At(NativePath(256, 'n'));
    FsStatus longName = RenameNoReplace(At("a.jpg"), tooLong);
    EXPECT_EQ(longName.error, ENAMETOOLONG);
    EXPECT_EQ(longName.path, tooLong);
    EXPECT_EQ(test::ReadFile(At("a.jpg")), "aaa");
}

TEST_F(FileSystemTest, RenameFallsBackWithoutTheNoReplaceFlag) {
    test::WriteFile(At("a.jpg"), "aaa");
    test::WriteFile(At("b.jpg"), "bbb");
    // A file system that knows neither the flag nor hard links: test, then rename.
    ScopedFault noFlag("rename", EINVAL, At("b.jpg"));
    ScopedFault noLinks("link", EPERM, At("b.jpg"));
    EXPECT_EQ(RenameNoReplace(At("a.jpg"), At("b.jpg")).error, EEXIST);
    EXPECT_EQ(test::ReadFile(At("b.jpg")), "bbb");
    ScopedFault noFlagForC("rename", EINVAL, At("c.jpg"));
    EXPECT_TRUE(RenameNoReplace(At("a.jpg"), At("c.jpg")).ok());
    EXPECT_EQ(test::ReadFile(At("c.jpg")), "aaa");
}

TEST_F(FileSystemTest, CaseOnlyRenameThatCannotFinishLosesNothing) {
    test::WriteFile(At("photo.jpg"), "p");
    // Two names of one file, as a file system that ignores case reports them: the rename must
    // not be refused as "exists", and where the second name really is taken nothing is lost.
    ASSERT_EQ(::link(At("photo.jpg").constData(), At("Photo.jpg").constData()), 0);
    const FsStatus status = RenameNoReplace(At("photo.jpg"), At("Photo.jpg"));
    EXPECT_EQ(status.error, EEXIST);
    EXPECT_EQ(test::ReadFile(At("photo.jpg")), "p");
    EXPECT_EQ(test::ReadFile(At("Photo.jpg")), "p");
    EXPECT_EQ(test::Entries(root), (QStringList{"Photo.jpg", "photo.jpg"}));
    // A hard link under another name is a different name, taken.
    ASSERT_EQ(::link(At("photo.jpg").constData(), At("other.jpg").constData()), 0);
    EXPECT_EQ(RenameNoReplace(At("photo.jpg"), At("other.jpg")).error, EEXIST);
}

TEST_F(FileSystemTest, CopyIsWholeOrAbsent) {
    QByteArray bytes(3 << 20, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13);
    test::WriteFile(At("a.jpg"), bytes);
    ASSERT_EQ(::chmod(At("a.jpg").constData(), 0640), 0);
    ASSERT_TRUE(CopyNoReplace(At("a.jpg"), At("b.jpg")).ok());
    EXPECT_EQ(test::ReadFile(At("b.jpg")), bytes);
    struct stat st {};
    ASSERT_EQ(::stat(At("b.jpg").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    {  // Without the kernel copy, reads and writes do it.
        ScopedFault noKernelCopy("copy_file_range", ENOSYS, root);
        ASSERT_TRUE(CopyNoReplace(At("a.jpg"), At("c.jpg")).ok());
        EXPECT_EQ(test::ReadFile(At("c.jpg")), bytes);
    }
    {  // Full disk, in either way of copying: no file, no temporary, the target is blamed.
        ScopedFault full("write", ENOSPC, root);
        const FsStatus status = CopyNoReplace(At("a.jpg"), At("d.jpg"));
        EXPECT_EQ(status.error, ENOSPC);
        EXPECT_EQ(status.path, At("d.jpg"));
        ScopedFault noKernelCopy("copy_file_range", ENOSYS, root);
        EXPECT_EQ(CopyNoReplace(At("a.jpg"), At("d.jpg")).error, ENOSPC);
    }
    {  // A quota reached when the data is flushed.
        ScopedFault quota("fsync", EDQUOT, root);
        EXPECT_EQ(CopyNoReplace(At("a.jpg"), At("d.jpg")).error, EDQUOT);
    }
    {  // The source unreadable: its own name in the error.
        ScopedFault denied("open", EACCES, At("a.jpg"));
        const FsStatus status = CopyNoReplace(At("a.jpg"), At("d.jpg"));
        EXPECT_EQ(status.error, EACCES);
        EXPECT_EQ(status.path, At("a.jpg"));
    }
    {  // A read-only target folder.
        ScopedFault readOnly("open_tmpfile", EROFS, root);
        const FsStatus status = CopyNoReplace(At("b.jpg"), At("d.jpg"));
        EXPECT_EQ(status.error, EROFS);
        EXPECT_EQ(status.path, At("d.jpg"));
    }
    const FsStatus vanished = CopyNoReplace(At("gone.jpg"), At("d.jpg"));
    EXPECT_EQ(vanished.error, ENOENT);
    EXPECT_EQ(vanished.path, At("gone.jpg"));
    EXPECT_EQ(CopyNoReplace(At("a.jpg"), At("b.jpg")).error, EEXIST);
    EXPECT_EQ(test::Entries(root), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
}

TEST_F(FileSystemTest, AtomicWriteWithAndWithoutUnnamedFiles) {
    const auto fill = [](int fd) { return WriteAll(fd, "data", 4) ? FsOk() : FsStatus{errno, {}}; };
    ASSERT_TRUE(WriteFileAtomically(At("a.bin"), fill).ok());
    EXPECT_EQ(test::ReadFile(At("a.bin")), "data");
    EXPECT_EQ(WriteFileAtomically(At("a.bin"), fill).error, EEXIST);

    // A name that appears while the file is written is not replaced.
    const auto racer = [this](int fd) {
        test::WriteFile(At("b.bin"), "theirs");
        return WriteAll(fd, "ours", 4) ? FsOk() : FsStatus{errno, {}};
    };
    EXPECT_EQ(WriteFileAtomically(At("b.bin"), racer).error, EEXIST);
    EXPECT_EQ(test::ReadFile(At("b.bin")), "theirs");

    // A file system without unnamed files: a hidden temporary, gone afterwards either way.
    ScopedFault noTmpfile("open_tmpfile", EOPNOTSUPP, root);
    ASSERT_TRUE(WriteFileAtomically(At("c.bin"), fill).ok());
    EXPECT_EQ(test::ReadFile(At("c.bin")), "data");
    EXPECT_EQ(WriteFileAtomically(At("c.bin"), racer).error, EEXIST);
    {
        ScopedFault full("write", ENOSPC, root);
        const FsStatus status = WriteFileAtomically(At("d.bin"), fill);
        EXPECT_EQ(status.error, ENOSPC);
        EXPECT_EQ(status.path, At("d.bin"));
    }
    ASSERT_TRUE(WriteFileAtomically(At("c.bin"), fill, 0666, true).ok());
    EXPECT_EQ(test::Entries(root), (QStringList{"a.bin", "b.bin", "c.bin"}));
}

// A camera card (FAT, exFAT): no RENAME_NOREPLACE, no hard links, no unnamed files.
class CardTest : public FileSystemTest {
protected:
    ScopedFault noFlag{"renameat2", EINVAL, "/card"};
    ScopedFault noLinks{"link", EPERM, "/card"};
    ScopedFault noTmpfile{"open_tmpfile", EOPNOTSUPP, "/card"};
    NativePath Card(const NativePath& name) const { return At("card/" + name); }
    void SetUp() override {
        FileSystemTest::SetUp();
        ASSERT_EQ(::mkdir(At("card").constData(), 0755), 0);
    }
};

TEST_F(CardTest, ANameThatAppearsBeforeTheMoveIsNeverReplaced) {
    const auto fill = [](int fd) { return WriteAll(fd, "ours", 4) ? FsOk() : FsStatus{errno, {}}; };
    test::WriteFile(Card("a.jpg"), "aaa");
    test::WriteFile(At("src.jpg"), "src");
    ASSERT_EQ(::mkdir(Card("folder").constData(), 0755), 0);
    {
        ScopedFault race("appear", 1, "/card/taken");
        EXPECT_EQ(RenameNoReplace(Card("a.jpg"), Card("taken1.jpg")).error, EEXIST);
        EXPECT_EQ(WriteFileAtomically(Card("taken2.jpg"), fill).error, EEXIST);
        EXPECT_EQ(CopyNoReplace(At("src.jpg"), Card("taken3.jpg")).error, EEXIST);
        EXPECT_EQ(RenameNoReplace(Card("folder"), Card("taken4")).error, EEXIST);
    }
    for (const char* name : {"taken1.jpg", "taken2.jpg", "taken3.jpg", "taken4"})
        EXPECT_EQ(test::ReadFile(Card(name)), "theirs") << name;
    EXPECT_EQ(test::ReadFile(Card("a.jpg")), "aaa");

    // Without a race each goes through, and no claim or temporary stays behind.
    EXPECT_TRUE(RenameNoReplace(Card("a.jpg"), Card("b.jpg")).ok());
    EXPECT_TRUE(WriteFileAtomically(Card("c.jpg"), fill).ok());
    EXPECT_TRUE(CopyNoReplace(At("src.jpg"), Card("d.jpg")).ok());
    EXPECT_TRUE(RenameNoReplace(Card("folder"), Card("folder2")).ok());
    EXPECT_TRUE(IsFolder(Card("folder2")));
    EXPECT_EQ(test::ReadFile(Card("b.jpg")) + test::ReadFile(Card("c.jpg")) +
                  test::ReadFile(Card("d.jpg")),
              "aaaourssrc");
    EXPECT_EQ(test::Entries(At("card")),
              (QStringList{"b.jpg", "c.jpg", "d.jpg", "folder2", "taken1.jpg", "taken2.jpg",
                           "taken3.jpg", "taken4"}));
}

TEST_F(CardTest, ACaseOnlyRenameFindsTheSameFileByItsEntry) {
    // Names found whatever their case, and a different inode number for each spelling.
    ScopedFault folds("fold", 1, "/card/");
    ScopedFault inodes("ino", 7, "/card/P1.jpg");
    test::WriteFile(Card("p1.jpg"), "p");
    ASSERT_TRUE(RenameNoReplace(Card("p1.jpg"), Card("P1.jpg")).ok());
    EXPECT_EQ(test::Entries(At("card")), QStringList{"P1.jpg"});
    EXPECT_EQ(test::ReadFile(Card("P1.jpg")), "p");
    // Another file of that spelling is another file.
    test::WriteFile(Card("q2.jpg"), "q");
    EXPECT_EQ(RenameNoReplace(Card("q2.jpg"), Card("P1.jpg")).error, EEXIST);
}

TEST_F(FileSystemTest, OnlyOurOwnTemporariesOfEndedRunsAreRemoved) {
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const QByteArray dead = QByteArray::number(ended);
    const QByteArray alive = QByteArray::number(::getppid());
    test::WriteFile(At(".sorvenal-" + dead + "-1f.tmp"), "stale");         // ours, ended: removed
    test::WriteFile(At(".sorvenal-" + alive + "-2e.tmp"), "writing");      // a live run's
    test::WriteFile(At(".sorvenal-3d.tmp"), "old style");                  // no process id
    test::WriteFile(At(".sorvenal-" + dead + "-zz.tmp"), "not ours");      // not our pattern
    test::WriteFile(At(".sorvenal-rename-" + dead), "a photo set aside");  // never a temporary
    ASSERT_EQ(::mkdir(At(".sorvenal-" + dead + "-4c.tmp").constData(), 0755), 0);
    const auto fill = [](int fd) { return WriteAll(fd, "x", 1) ? FsOk() : FsStatus{errno, {}}; };
    ASSERT_TRUE(WriteFileAtomically(At("new.bin"), fill).ok());
    QStringList kept{".sorvenal-" + dead + "-4c.tmp",  ".sorvenal-" + dead + "-zz.tmp",
                     ".sorvenal-" + alive + "-2e.tmp", ".sorvenal-3d.tmp",
                     ".sorvenal-rename-" + dead,       "new.bin"};
    kept.sort();
    EXPECT_EQ(test::Entries(root), kept);
}

TEST_F(FileSystemTest, ACopyGivesAwayNoRightsAndRefusesSpecialFiles) {
    const mode_t saved = ::umask(022);
    test::WriteFile(At("setid.jpg"), "bytes");
    ASSERT_EQ(::chmod(At("setid.jpg").constData(), 06777), 0);
    ASSERT_TRUE(CopyNoReplace(At("setid.jpg"), At("copy.jpg")).ok());
    struct stat st {};
    ASSERT_EQ(::stat(At("copy.jpg").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    ::umask(saved);

    // A FIFO with no writer, a socket and a device: refused at once, never waited on.
    ASSERT_EQ(::mkfifo(At("fifo.jpg").constData(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const NativePath socketPath = At("socket.jpg");
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.constData());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (const NativePath& special : {At("fifo.jpg"), socketPath, NativePath("/dev/null")}) {
        const FsStatus status = CopyNoReplace(special, At("out.jpg"));
        EXPECT_EQ(status.error, kNotRegularFile) << special.constData();
        EXPECT_EQ(status.path, special);
    }
    ::close(sock);
    EXPECT_FALSE(ErrorText(kNotRegularFile).isEmpty());
    EXPECT_FALSE(PathExists(At("out.jpg")));
}

}  // namespace
}  // namespace sorvenal
