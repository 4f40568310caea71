// The trash on real folders: a fresh home trash, names that clash or are too long, escaped
// paths, another file system, and every refusal ending in an error with the file in place.
#include "platform/trash.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdlib>
#include <functional>

#include "tests/support/fault.h"
#include "tests/support/fs_helpers.h"

namespace sorvenal {
namespace {

using test::ReadFile;
using test::ScopedFault;
using test::WriteFile;

class TrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ScopedFault::ShimLoaded()) << "the fault shim is not preloaded";
        root = NativeOf(QDir(tmp.path()).canonicalPath());
        data = At("fresh/data");  // does not exist yet
        ASSERT_EQ(::mkdir(At("pics").constData(), 0755), 0);
    }
    NativePath At(const NativePath& relative) const { return JoinNative(root, relative); }
    NativePath Trash(const NativePath& relative = {}) const {
        const NativePath trash = JoinNative(data, "Trash");
        return relative.isEmpty() ? trash : JoinNative(trash, relative);
    }
    // The value of one key of an info file.
    static QByteArray InfoValue(const NativePath& infoFile, const QByteArray& key) {
        for (const QByteArray& line : ReadFile(infoFile).split('\n'))
            if (line.startsWith(key + '=')) return line.mid(key.size() + 1);
        return "<none>";
    }
    static mode_t Mode(const NativePath& path) {
        struct stat st {};
        return ::lstat(path.constData(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    QTemporaryDir tmp;
    NativePath root;
    NativePath data;
    test::ScopedEnv xdg{"XDG_DATA_HOME", nullptr};
};

TEST_F(TrashTest, AFreshTrashIsPrivateAndRecordsWhereAndWhen) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    WriteFile(At("pics/a.jpg"), "A");
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    NativePath as;
    const FsStatus status = MoveToTrash(At("pics/a.jpg"), &as);
    ASSERT_TRUE(status.ok()) << status.error << " " << status.path.toStdString();
    EXPECT_EQ(as, "a.jpg");
    EXPECT_FALSE(PathExists(At("pics/a.jpg")));
    EXPECT_EQ(ReadFile(Trash("files/a.jpg")), "A");
    for (const NativePath& folder : {At("fresh"), data, Trash(), Trash("files"), Trash("info")})
        EXPECT_EQ(Mode(folder), 0700u) << folder.toStdString();

    const NativePath info = Trash("info/a.jpg.trashinfo");
    EXPECT_TRUE(ReadFile(info).startsWith("[Trash Info]\n"));
    EXPECT_EQ(QByteArray::fromPercentEncoding(InfoValue(info, "Path")), At("pics/a.jpg"));
    // Local time, without a zone, to the second.
    const QByteArray date = InfoValue(info, "DeletionDate");
    EXPECT_EQ(date.size(), 19) << date.toStdString();
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(date), Qt::ISODate);
    ASSERT_TRUE(when.isValid()) << date.toStdString();
    EXPECT_EQ(when.timeSpec(), Qt::LocalTime);
    EXPECT_GE(when, before);
    EXPECT_LE(when, QDateTime::currentDateTime().addSecs(1));
}

TEST_F(TrashTest, TheSameNameTwiceGetsTwoEntries) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    ASSERT_EQ(::mkdir(At("other").constData(), 0755), 0);
    WriteFile(At("pics/a.jpg"), "first");
    WriteFile(At("other/a.jpg"), "second");
    NativePath first, second;
    ASSERT_TRUE(MoveToTrash(At("pics/a.jpg"), &first).ok());
    ASSERT_TRUE(MoveToTrash(At("other/a.jpg"), &second).ok());
    EXPECT_NE(first, second);
    EXPECT_TRUE(second.endsWith(".jpg")) << second.toStdString();
    EXPECT_EQ(ReadFile(Trash("files/" + first)), "first");
    EXPECT_EQ(ReadFile(Trash("files/" + second)), "second");
    EXPECT_EQ(
        QByteArray::fromPercentEncoding(InfoValue(Trash("info/" + second + ".trashinfo"), "Path")),
        At("other/a.jpg"));
}

TEST_F(TrashTest, LongNamesAreShortenedUniquely) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    ASSERT_EQ(::mkdir(At("other").constData(), 0755), 0);
    const NativePath latin = NativePath(246, 'x') + ".jpg";  // 250 bytes
    QString kanji;
    for (int i = 0; i < 82; ++i) kanji += QChar(0x5199);  // 写, three bytes each
    const NativePath japanese = NativeOf(kanji) + ".jpg";
    ASSERT_EQ(latin.size(), 250);
    ASSERT_EQ(japanese.size(), 250);
    const NativePath files[] = {At("pics/" + latin), At("other/" + latin), At("pics/" + japanese)};
    QSet<NativePath> names;
    for (const NativePath& file : files) {
        WriteFile(file, file);
        NativePath as;
        const FsStatus status = MoveToTrash(file, &as);
        ASSERT_TRUE(status.ok()) << status.error << " " << status.path.toStdString();
        EXPECT_LE(as.size() + 10, 255) << as.toStdString();
        EXPECT_TRUE(as.endsWith(".jpg"));
        names.insert(as);
        EXPECT_EQ(ReadFile(Trash("files/" + as)), file);
        EXPECT_EQ(
            QByteArray::fromPercentEncoding(InfoValue(Trash("info/" + as + ".trashinfo"), "Path")),
            file);
        // Cut between characters, never inside one.
        QStringDecoder utf8(QStringDecoder::Utf8);
        utf8.decode(as);
        EXPECT_FALSE(utf8.hasError()) << as.toStdString();
    }
    EXPECT_EQ(names.size(), 3);
}

TEST_F(TrashTest, PercentAndSpaceAreEscapedInTheInfoPath) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    ASSERT_EQ(::mkdir(At("100% real").constData(), 0755), 0);
    WriteFile(At("100% real/a b.jpg"), "x");
    NativePath as;
    ASSERT_TRUE(MoveToTrash(At("100% real/a b.jpg"), &as).ok());
    EXPECT_EQ(as, "a b.jpg");
    const QByteArray path = InfoValue(Trash("info/a b.jpg.trashinfo"), "Path");
    EXPECT_TRUE(path.endsWith("/100%25%20real/a%20b.jpg")) << path.toStdString();
    EXPECT_FALSE(path.contains(' '));
    EXPECT_EQ(QByteArray::fromPercentEncoding(path), At("100% real/a b.jpg"));
}

TEST_F(TrashTest, EveryRefusalIsAnErrorAndLeavesTheFileWhereItWas) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    WriteFile(At("pics/a.jpg"), "A");
    ASSERT_TRUE(MakeFolders(data, 0700).ok());
    WriteFile(Trash(), "a plain file where the trash should be");
    FsStatus status = MoveToTrash(At("pics/a.jpg"));
    EXPECT_EQ(status.error, ENOTDIR);
    EXPECT_EQ(status.path, Trash());
    ASSERT_EQ(::unlink(Trash().constData()), 0);

    const struct {
        const char* call;
        int error;
        const char* where;
    } faults[] = {
        {"open", EACCES, "/Trash/info/"},        // the trash not writable
        {"write", ENOSPC, "/Trash/info/"},       // full while the info file is written
        {"fsync", EIO, "/Trash/info/"},          // lost on the way to the disk
        {"rename", EROFS, "/Trash/files/"},      // the move itself refused
        {"open", ENAMETOOLONG, "/Trash/info/"},  // no name short enough: an answer, not a loop
        {"mkdir", EDQUOT, "/Trash"},             // no room even for the folders
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.call);
        ::rmdir(Trash("files").constData());
        ::rmdir(Trash("info").constData());
        ScopedFault refused(fault.call, fault.error, fault.where);
        status = MoveToTrash(At("pics/a.jpg"));
        EXPECT_EQ(status.error, fault.error);
        EXPECT_FALSE(status.path.isEmpty());
        EXPECT_EQ(ReadFile(At("pics/a.jpg")), "A");
        EXPECT_EQ(test::Entries(Trash("info")), QStringList());
        EXPECT_EQ(test::Entries(Trash("files")), QStringList());
    }
    status = MoveToTrash(At("pics/gone.jpg"));
    EXPECT_EQ(status.error, ENOENT);
    EXPECT_EQ(status.path, At("pics/gone.jpg"));
}

TEST_F(TrashTest, AnotherFileSystemUsesTheTrashAtItsTop) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    struct stat here {
    }, there{};
    if (::stat(root.constData(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    QTemporaryDir other(QStringLiteral("/dev/shm/sorvenal-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    const NativePath file = JoinNative(NativeOf(other.path()), "a.jpg");
    WriteFile(file, "elsewhere");
    NativePath as;
    const FsStatus status = MoveToTrash(file, &as);
    ASSERT_TRUE(status.ok()) << status.error << " " << status.path.toStdString();

    // Found by walking up to the folder that holds the trash.
    const NativePath ownTrash = ".Trash-" + QByteArray::number(::getuid());
    NativePath top = ParentOf(file);
    while (!PathExists(JoinNative(top, ownTrash + "/files/" + as)) && top != "/")
        top = ParentOf(top);
    const NativePath trash = JoinNative(top, ownTrash);
    EXPECT_EQ(ReadFile(JoinNative(trash, "files/" + as)), "elsewhere");
    EXPECT_EQ(Mode(trash), 0700u);
    const NativePath info = JoinNative(trash, "info/" + as + ".trashinfo");
    // Relative to the top of its file system, so the volume can be mounted elsewhere.
    const QByteArray path = QByteArray::fromPercentEncoding(InfoValue(info, "Path"));
    EXPECT_FALSE(path.startsWith('/'));
    EXPECT_EQ(JoinNative(top, path), file);
    EXPECT_FALSE(PathExists(Trash()));
    ::unlink(JoinNative(trash, "files/" + as).constData());
    ::unlink(info.constData());
    // Gone again unless someone else's entries are in it.
    ::rmdir(JoinNative(trash, "files").constData());
    ::rmdir(JoinNative(trash, "info").constData());
    ::rmdir(trash.constData());
}

// A file system of its own under the test's folder, so that its top is known.
class VolumeTrashTest : public TrashTest {
protected:
    void SetUp() override {
        TrashTest::SetUp();
        volume = At("volume");
        ASSERT_EQ(::mkdir(volume.constData(), 0755), 0);
        if (::mount("tmpfs", volume.constData(), "tmpfs", 0, "mode=0755") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs: " << errno;
        mounted = true;
        ASSERT_EQ(::mkdir(On("pics").constData(), 0755), 0);
    }
    void TearDown() override {
        if (mounted) ::umount2(volume.constData(), MNT_DETACH);
    }
    NativePath On(const NativePath& relative) const { return JoinNative(volume, relative); }
    static void MakeFolder(const NativePath& folder, mode_t mode, uid_t owner) {
        ASSERT_EQ(::mkdir(folder.constData(), mode), 0) << folder.toStdString();
        ASSERT_EQ(::chmod(folder.constData(), mode), 0);  // past the umask
        ASSERT_EQ(::chown(folder.constData(), owner, owner), 0);
    }

    NativePath volume;
    bool mounted = false;
    const NativePath uid = QByteArray::number(::getuid());
    const uid_t stranger = ::getuid() + 4321;
};

TEST_F(VolumeTrashTest, OnlyAFolderOfOursClosedToOthersIsUsed) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    const NativePath own = ".Trash-" + uid;
    const NativePath shared = ".Trash/" + uid;
    const struct {
        const char* what;
        std::function<void()> prepare;
        NativePath usedTrash;  // empty: refused, the file stays
    } cases[] = {
        {"another user's open folder", [&] { MakeFolder(On(own), 0777, stranger); }, {}},
        {"another user's closed folder", [&] { MakeFolder(On(own), 0700, stranger); }, {}},
        {"our own folder open to others", [&] { MakeFolder(On(own), 0757, ::getuid()); }, {}},
        {"our own private folder", [&] { MakeFolder(On(own), 0700, ::getuid()); }, own},
        {"a shared sticky trash", [&] { MakeFolder(On(".Trash"), 01777, 0); }, shared},
        {"a shared trash without the sticky bit", [&] { MakeFolder(On(".Trash"), 0777, 0); }, own},
        {"another user's folder in the shared trash",
         [&] {
             MakeFolder(On(".Trash"), 01777, 0);
             MakeFolder(On(shared), 0777, stranger);
         },
         own},
        {"our open folder in the shared trash",
         [&] {
             MakeFolder(On(".Trash"), 01777, 0);
             MakeFolder(On(shared), 0755, ::getuid());
         },
         own},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(std::system(("rm -rf '" + volume + "'/.Trash*").constData()), 0);
        c.prepare();
        WriteFile(On("pics/a.jpg"), "A");
        NativePath as;
        const FsStatus status = MoveToTrash(On("pics/a.jpg"), &as);
        if (c.usedTrash.isEmpty()) {
            EXPECT_EQ(status.error, EACCES);
            EXPECT_EQ(status.path, On(own));
            EXPECT_EQ(ReadFile(On("pics/a.jpg")), "A");
            EXPECT_EQ(test::Entries(On(own)), QStringList());
        } else {
            ASSERT_TRUE(status.ok()) << status.error << " " << status.path.toStdString();
            EXPECT_EQ(ReadFile(On(c.usedTrash + "/files/" + as)), "A");
            EXPECT_EQ(Mode(On(c.usedTrash)) & 077, 0u);
        }
        EXPECT_FALSE(PathExists(Trash()));
    }
}

TEST_F(VolumeTrashTest, AFolderReachedThroughALinkUsesTheTrashAtItsDisksTop) {
    test::ScopedEnv fresh("XDG_DATA_HOME", data.constData());
    ASSERT_EQ(::mkdir(On("pics/2024").constData(), 0755), 0);
    ASSERT_EQ(::symlink(On("pics").constData(), At("linked").constData()), 0);
    WriteFile(On("pics/2024/a.jpg"), "A");
    NativePath as;
    const FsStatus status = MoveToTrash(At("linked/2024/a.jpg"), &as);
    ASSERT_TRUE(status.ok()) << status.error << " " << status.path.toStdString();
    const NativePath trash = On(".Trash-" + uid);
    EXPECT_EQ(ReadFile(JoinNative(trash, "files/" + as)), "A");
    EXPECT_EQ(QByteArray::fromPercentEncoding(
                  InfoValue(JoinNative(trash, "info/" + as + ".trashinfo"), "Path")),
              "pics/2024/a.jpg");
    EXPECT_FALSE(PathExists(At("linked/.Trash-" + uid)));
    EXPECT_FALSE(PathExists(On("pics/.Trash-" + uid)));
}

}  // namespace
}  // namespace sorvenal
