#include "platform/trash.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

namespace sorvenal {

namespace {

constexpr char kInfoSuffix[] = ".trashinfo";
constexpr int kInfoSuffixLength = sizeof kInfoSuffix - 1;
// Enough for any sane clash of names; past it the trash is not usable, not a reason to spin.
constexpr int kMaxAttempts = 1000;

NativePath HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) return user->pw_dir;
    return "/";
}

// The device a path is on, or would be on once its missing folders are made.
dev_t DeviceOf(NativePath path) {
    for (;;) {
        struct stat st {};
        if (::stat(path.constData(), &st) == 0) return st.st_dev;
        if (path == "/") return 0;
        path = ParentOf(path);
    }
}

// `file` with its folder's links resolved, so that a folder reached through a link to another
// disk finds that disk's top; as it is when the folder cannot be resolved.
NativePath RealPathOf(const NativePath& file) {
    char resolved[PATH_MAX];
    if (!::realpath(ParentOf(file).constData(), resolved)) return file;
    return JoinNative(resolved, BaseNameOf(file));
}

// The mount point holding `path`: the highest folder above it on the same device.
NativePath TopFolderOf(const NativePath& path, dev_t device) {
    NativePath folder = ParentOf(path);
    while (folder != "/") {
        const NativePath up = ParentOf(folder);
        struct stat st {};
        if (::stat(up.constData(), &st) != 0 || st.st_dev != device) break;
        folder = up;
    }
    return folder;
}

NativePath LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// A folder of the trash that must be a real folder: made 0700 when missing. With `ownOnly`,
// one found must also be ours and closed to everyone else, or another user could read what we
// trash and take it away.
FsStatus EnsurePrivateFolder(const NativePath& folder, bool ownOnly = false) {
    if (::mkdir(folder.constData(), 0700) == 0) return FsOk();
    if (errno != EEXIST) return {errno, folder};
    struct stat st {};
    if (::lstat(folder.constData(), &st) != 0) return {errno, folder};
    if (!S_ISDIR(st.st_mode)) return {ENOTDIR, folder};
    if (ownOnly && (st.st_uid != ::getuid() || (st.st_mode & 077) != 0)) return {EACCES, folder};
    return FsOk();
}

FsStatus PrepareTrash(const NativePath& trash) {
    for (const char* part : {"files", "info"})
        if (FsStatus made = EnsurePrivateFolder(JoinNative(trash, part)); !made.ok()) return made;
    return FsOk();
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The n-th name tried for `name` (n from 1), no longer than `limit` bytes: "photo.jpg",
// "photo.2.jpg", ...; a name too long loses the end of its stem, never in a UTF-8 character.
NativePath CandidateName(const NativePath& name, int n, qsizetype limit) {
    qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0 || name.size() - dot > 16) dot = name.size();
    NativePath stem = name.left(dot);
    NativePath extension = name.mid(dot);
    const NativePath suffix = n == 1 ? NativePath() : "." + QByteArray::number(n);
    if (stem.size() + suffix.size() + extension.size() <= limit) return stem + suffix + extension;
    if (limit - suffix.size() - extension.size() < 1) extension.clear();
    qsizetype keep = limit - suffix.size() - extension.size();
    if (keep < 1) return NativePath();
    while (keep > 0 && IsUtf8Continuation(stem[keep])) --keep;
    if (keep < 1) return NativePath();
    return stem.left(keep) + suffix + extension;
}

FsStatus WriteInfo(int fd, const NativePath& shownPath) {
    const QByteArray text =
        "[Trash Info]\nPath=" + TrashInfoEscape(shownPath) + "\nDeletionDate=" + LocalTime() + "\n";
    if (!WriteAll(fd, text.constData(), static_cast<size_t>(text.size()))) return {errno, {}};
    if (::fsync(fd) != 0) return {errno, {}};
    return FsOk();
}

// Moves `file` into `trash`; `infoPath` is what Path= records (absolute in the home trash,
// relative to the top folder elsewhere).
FsStatus PutInTrash(const NativePath& trash, const NativePath& file, const NativePath& infoPath,
                    NativePath* trashedAs) {
    const NativePath infoFolder = JoinNative(trash, "info");
    const NativePath filesFolder = JoinNative(trash, "files");
    long nameMax = ::pathconf(infoFolder.constData(), _PC_NAME_MAX);
    if (nameMax <= kInfoSuffixLength) nameMax = 255;
    qsizetype limit = nameMax - kInfoSuffixLength;
    const NativePath name = BaseNameOf(file);

    int n = 1;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        const NativePath candidate = CandidateName(name, n, limit);
        if (candidate.isEmpty()) return {ENAMETOOLONG, infoFolder};
        const NativePath info = JoinNative(infoFolder, candidate + kInfoSuffix);
        // Claiming the info name first is what makes two deletions never share an entry.
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            const int error = errno;
            if (error == EEXIST) {
                ++n;
                continue;
            }
            // The file system allows shorter names than it claimed: shorten further.
            if (error == ENAMETOOLONG && candidate.size() > 16) {
                limit = candidate.size() - 8;
                continue;
            }
            return {error, info};
        }
        const NativePath target = JoinNative(filesFolder, candidate);
        if (PathExists(target)) {  // left by another program without an info file
            ::close(fd);
            ::unlink(info.constData());
            ++n;
            continue;
        }
        FsStatus written = WriteInfo(fd, infoPath);
        const int closed = ::close(fd) == 0 ? 0 : errno;
        if (written.ok() && closed != 0) written = {closed, {}};
        if (!written.ok()) {
            ::unlink(info.constData());
            return {written.error, info};
        }
        FsStatus moved = RenameNoReplace(file, target);
        if (!moved.ok()) {
            ::unlink(info.constData());
            if (moved.error == EEXIST) {
                ++n;
                continue;
            }
            return moved;
        }
        SyncFolder(infoFolder);
        SyncFolder(filesFolder);
        SyncFolder(ParentOf(file));
        if (trashedAs) *trashedAs = candidate;
        return FsOk();
    }
    return {EEXIST, infoFolder};
}

enum class TrashKind {
    Home,      // made with any missing parents (~/.local/share may not exist yet)
    OnVolume,  // must be a real folder of ours, never a link
};

// One trash tried: the trash folder, then its files/ and info/, then the move.
FsStatus TrashInto(const NativePath& trash, TrashKind kind, const NativePath& file,
                   const NativePath& infoPath, NativePath* trashedAs) {
    FsStatus status = kind == TrashKind::Home ? MakeFolders(trash, 0700)
                                              : EnsurePrivateFolder(trash, /*ownOnly=*/true);
    if (status.ok()) status = PrepareTrash(trash);
    if (status.ok()) status = PutInTrash(trash, file, infoPath, trashedAs);
    return status;
}

}  // namespace

NativePath HomeTrashFolder() {
    NativePath data = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    // Only an absolute value counts; a relative one would put the trash wherever we started.
    if (!data.startsWith('/')) data = JoinNative(HomeFolder(), ".local/share");
    return JoinNative(CleanNativePath(data), "Trash");
}

QByteArray TrashInfoEscape(const NativePath& path) {
    return path.toPercentEncoding("/", QByteArray(), '%');
}

FsStatus MoveToTrash(const NativePath& path, NativePath* trashedAs) {
    const NativePath file = CleanNativePath(path);
    struct stat st {};
    if (::lstat(file.constData(), &st) != 0) return {errno, file};

    const NativePath home = HomeTrashFolder();
    if (DeviceOf(home) == st.st_dev) {
        FsStatus status = TrashInto(home, TrashKind::Home, file, file, trashedAs);
        // A bind mount shares the device yet refuses the rename; its own trash may serve.
        if (status.error != EXDEV) return status;
    }

    const NativePath real = RealPathOf(file);
    const NativePath top = TopFolderOf(real, st.st_dev);
    const NativePath relative = top == "/" ? real.mid(1) : real.mid(top.size() + 1);
    const NativePath uid = QByteArray::number(::getuid());
    // $top/.Trash/$uid only where an administrator made .Trash a sticky folder, not a link.
    const NativePath shared = JoinNative(top, ".Trash");
    struct stat sharedSt {};
    if (::lstat(shared.constData(), &sharedSt) == 0 && S_ISDIR(sharedSt.st_mode) &&
        (sharedSt.st_mode & S_ISVTX)) {
        const NativePath trash = JoinNative(shared, uid);
        FsStatus status = TrashInto(trash, TrashKind::OnVolume, file, relative, trashedAs);
        if (status.ok() || status.path == file) return status;
    }
    const NativePath own = JoinNative(top, ".Trash-" + uid);
    return TrashInto(own, TrashKind::OnVolume, file, relative, trashedAs);
}

}  // namespace sorvenal
