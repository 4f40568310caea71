#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace sorvenal {

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void Reset(int fd) {
        Close();
        fd_ = fd;
    }
    // Errors of delayed writes (full disk on network file systems) show up here.
    int Close() {
        if (fd_ < 0) return 0;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd_;
};

FsStatus Fail(int error, const NativePath& path) { return {error, path}; }

NativePath RandomSuffix() {
    return QByteArray::number(QRandomGenerator::global()->generate64(), 16);
}

// Our temporaries carry the writing process's id, so a later write can tell those a killed
// run left behind from those another run is still writing, and from anything not ours.
const NativePath kTemporaryPrefix = ".sorvenal-";
const NativePath kTemporarySuffix = ".tmp";

NativePath TemporaryName(const NativePath& folder) {
    return JoinNative(folder, kTemporaryPrefix + QByteArray::number(::getpid()) + '-' +
                                  RandomSuffix() + kTemporarySuffix);
}

// The process id of a name TemporaryName made, or 0.
pid_t TemporaryOwner(const QByteArray& name) {
    if (!name.startsWith(kTemporaryPrefix) || !name.endsWith(kTemporarySuffix)) return 0;
    const QByteArray middle = name.mid(
        kTemporaryPrefix.size(), name.size() - kTemporaryPrefix.size() - kTemporarySuffix.size());
    const qsizetype dash = middle.indexOf('-');
    if (dash <= 0 || dash == middle.size() - 1) return 0;
    for (char c : middle.mid(dash + 1))
        if (!std::isxdigit(static_cast<unsigned char>(c))) return 0;
    bool ok = false;
    const long pid = middle.left(dash).toLong(&ok);
    return ok && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

// Removes the temporaries of ours that a run which has ended left in the folder: plain files,
// owned by us, named by a process that no longer exists. Nothing else is touched.
void RemoveStaleTemporaries(const NativePath& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = TemporaryOwner(QByteArray(entry->d_name));
        if (owner == 0 || owner == ::getpid()) continue;
        if (::kill(owner, 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        ::unlinkat(dirFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

// The process's file-creation mask, read without changing it (umask() would, for a moment).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

// Whether the folder holds an entry of exactly this name. On a file system that folds case
// (FAT, exFAT) another spelling finds the same file, and inode numbers may differ per name.
bool HasEntryNamed(const NativePath& folder, const NativePath& name) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir))
        if (name == entry->d_name) {
            found = true;
            break;
        }
    ::closedir(dir);
    return found;
}

// Which of the two names a refused rename is about, as far as the error tells.
NativePath RenameCulprit(int error, const NativePath& from, const NativePath& to) {
    switch (error) {
        case ENOENT:
            return PathExists(from) ? to : from;
        case EEXIST:
        case ENOTEMPTY:
        case EISDIR:
        case ENOTDIR:
        case ENAMETOOLONG:
        case EXDEV:
            return to;
        case EACCES:
        case EPERM:
            return ::access(ParentOf(to).constData(), W_OK | X_OK) != 0 ? to : from;
        default:
            return from;
    }
}

bool NoSuchFlag(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP;
}

// Where neither RENAME_NOREPLACE nor links are to be had (FAT, exFAT): the target name is
// claimed first, exclusively (an empty file, or an empty folder for a folder), and only the
// claim, still ours and still empty, is replaced. A name that appears before the claim is
// refused, as RENAME_NOREPLACE would refuse it.
int ClaimThenRename(const NativePath& from, const NativePath& to, bool folder) {
    struct stat claimed {};
    if (folder) {
        if (::mkdir(to.constData(), 0700) != 0) return errno;
        if (::lstat(to.constData(), &claimed) != 0) return errno;
    } else {
        Fd claim(
            ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (claim.get() < 0) return errno;
        if (::fstat(claim.get(), &claimed) != 0) return errno;
    }
    const auto release = [&] { folder ? ::rmdir(to.constData()) : ::unlink(to.constData()); };
    struct stat now {};
    if (::lstat(to.constData(), &now) != 0 || now.st_dev != claimed.st_dev ||
        now.st_ino != claimed.st_ino || (!folder && now.st_size != 0))
        return EEXIST;  // someone else has the name now; it is theirs
    if (::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        release();
        return error;
    }
    return 0;
}

// The rename itself. RENAME_NOREPLACE makes test and rename one step; where the file system
// lacks it, a hard link does the same for files; where that fails too, the name is claimed.
int RawRenameNoReplace(const NativePath& from, const NativePath& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (!NoSuchFlag(error)) return error;
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) {
        if (::link(from.constData(), to.constData()) == 0) {
            if (::unlink(from.constData()) == 0) return 0;
            const int unlinkError = errno;
            ::unlink(to.constData());
            return unlinkError;
        }
        const int linkError = errno;
        if (linkError != EPERM && linkError != EMLINK && !NoSuchFlag(linkError)) return linkError;
    }
    return ClaimThenRename(from, to, S_ISDIR(st.st_mode));
}

bool DiffersOnlyInCase(const NativePath& a, const NativePath& b) {
    return a != b && ParentOf(a) == ParentOf(b) &&
           ShownName(BaseNameOf(a)).compare(ShownName(BaseNameOf(b)), Qt::CaseInsensitive) == 0;
}

// Bytes from one descriptor to the other: copy_file_range lets the kernel (or the file system,
// with reflinks) do the work; where it cannot, plain reads and writes take over.
FsStatus CopyBytes(int in, int out, const NativePath& from) {
    bool kernelCopy = true;
    while (kernelCopy) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0) return FsOk();
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EBADF || NoSuchFlag(errno)) {
            kernelCopy = false;
            break;
        }
        return Fail(errno, errno == EIO ? from : NativePath());
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno, from);
        }
        if (n == 0) return FsOk();
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) return Fail(errno, {});
    }
}

QString DecodeCp932(const NativePath& bytes, bool* clean) {
    *clean = false;
    iconv_t cd = ::iconv_open("UTF-8", "CP932");
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv's own error value
    if (cd == reinterpret_cast<iconv_t>(-1)) return QString();
    QByteArray out(bytes.size() * 3 + 4, '\0');
    char* inPtr = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t done = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    ::iconv_close(cd);
    if (done == static_cast<size_t>(-1) || inLeft != 0) return QString();
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    *clean = true;
    return QString::fromUtf8(out);
}

}  // namespace

QString ShownName(const NativePath& name) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(name);
    if (!utf8.hasError()) return text;
    bool clean = false;
    const QString japanese = DecodeCp932(name, &clean);
    return clean ? japanese : text;
}

QString ShownPath(const NativePath& path) {
    QStringList parts;
    for (const QByteArray& part : path.split('/')) parts << ShownName(part);
    return parts.join(QLatin1Char('/'));
}

QString ShownRowName(const NativePath& name) {
    QString text = ShownName(name);
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\v' || u == u'\f' || u == 0x2028 || u == 0x2029)
            c = QChar(u'\u21B5');  // ↵
        else if (u == u'\t')
            c = QChar(u'\u2192');  // →
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            c = QChar(u'\uFFFD');
    }
    return text;
}

NativePath NativeOf(const QString& text) { return text.toUtf8(); }

NativePath JoinNative(const NativePath& folder, const NativePath& name) {
    if (folder.endsWith('/')) return folder + name;
    return folder + '/' + name;
}

NativePath ParentOf(const NativePath& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0) return slash == 0 ? NativePath("/") : NativePath(".");
    return path.left(slash);
}

NativePath BaseNameOf(const NativePath& path) { return path.mid(path.lastIndexOf('/') + 1); }

NativePath CleanNativePath(const NativePath& path) {
    NativePath absolute = path;
    if (!absolute.startsWith('/')) {
        std::vector<char> cwd(4096);
        if (::getcwd(cwd.data(), cwd.size())) absolute = JoinNative(cwd.data(), path);
    }
    std::vector<QByteArray> parts;
    for (const QByteArray& part : absolute.split('/')) {
        if (part.isEmpty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    NativePath clean;
    for (const QByteArray& part : parts) clean += '/' + part;
    return clean.isEmpty() ? NativePath("/") : clean;
}

bool PathExists(const NativePath& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

bool IsFile(const NativePath& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const NativePath& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFile(const NativePath& a, const NativePath& b) {
    struct stat sa {
    }, sb{};
    return ::lstat(a.constData(), &sa) == 0 && ::lstat(b.constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::vector<FolderEntry> ListFolder(const NativePath& folder, bool foldersOnly) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return entries;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;  // hidden, as in a file manager
        bool isFolder = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        if (foldersOnly && isFile) continue;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(dirFd, entry->d_name, &st, 0) != 0) continue;
            isFolder = S_ISDIR(st.st_mode);
            isFile = S_ISREG(st.st_mode);
        }
        if (isFolder || (isFile && !foldersOnly))
            entries.push_back({NativePath(entry->d_name), isFolder});
    }
    ::closedir(dir);
    return entries;
}

FsStatus RenameNoReplace(const NativePath& from, const NativePath& to) {
    // The same file under another spelling, where the file system folds case: no entry of
    // the new spelling exists besides the old one.
    const bool sameByCase = DiffersOnlyInCase(from, to) && PathExists(to) &&
                            !HasEntryNamed(ParentOf(to), BaseNameOf(to));
    if (sameByCase || SameFile(from, to)) {
        if (!DiffersOnlyInCase(from, to)) return Fail(EEXIST, to);
        // The file system folds case: the new name is the old one, so step aside first.
        const NativePath aside = JoinNative(ParentOf(from), ".sorvenal-rename-" + RandomSuffix());
        if (const int error = RawRenameNoReplace(from, aside))
            return Fail(error, RenameCulprit(error, from, aside));
        if (const int error = RawRenameNoReplace(aside, to)) {
            RawRenameNoReplace(aside, from);
            return Fail(error, to);
        }
        return FsOk();
    }
    if (const int error = RawRenameNoReplace(from, to))
        return Fail(error, RenameCulprit(error, from, to));
    return FsOk();
}

FsStatus CopyNoReplace(const NativePath& from, const NativePath& to) {
    // Not blocking on a FIFO that took a picture's place: the kind is checked on the open file.
    Fd in(::open(from.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    // Sockets (and devices without a driver) cannot even be opened.
    if (in.get() < 0) return Fail(errno == ENXIO ? kNotRegularFile : errno, from);
    struct stat source {};
    if (::fstat(in.get(), &source) != 0) return Fail(errno, from);
    if (S_ISDIR(source.st_mode)) return Fail(EISDIR, from);
    if (!S_ISREG(source.st_mode)) return Fail(kNotRegularFile, from);
    if (::fcntl(in.get(), F_SETFL, ::fcntl(in.get(), F_GETFL) & ~O_NONBLOCK) != 0)
        return Fail(errno, from);
    // Cheap early answer; the final no-replace step is what really guards the target.
    if (PathExists(to)) return Fail(EEXIST, to);

    return WriteFileAtomically(
        to,
        [&](int out) {
            if (FsStatus copied = CopyBytes(in.get(), out, from); !copied.ok()) return copied;
            struct stat written {};
            if (::fstat(out, &written) != 0) return Fail(errno, {});
            // The source changed size under us: what we have is not a copy of anything.
            if (written.st_size != source.st_size) return Fail(EIO, from);
            // As a copy without kept rights makes it: never set-id, sticky or executable, never
            // more open than the source or the umask allow.
            ::fchmod(out, source.st_mode & 0666 & ~CurrentUmask());
            const struct timespec times[2] = {source.st_atim, source.st_mtim};
            ::futimens(out, times);
            return FsOk();
        },
        0600);
}

FsStatus MoveNoReplace(const NativePath& from, const NativePath& to, bool* sourceKept) {
    if (sourceKept) *sourceKept = false;
    FsStatus moved = RenameNoReplace(from, to);
    if (moved.error != EXDEV) return moved;
    if (FsStatus copied = CopyNoReplace(from, to); !copied.ok()) return copied;
    if (::unlink(from.constData()) != 0) {
        if (sourceKept) *sourceKept = true;
        return Fail(errno, from);
    }
    SyncFolder(ParentOf(from));
    return FsOk();
}

FsStatus RemoveFile(const NativePath& path) {
    if (::unlink(path.constData()) != 0) return Fail(errno, path);
    return FsOk();
}

FsStatus MakeFolder(const NativePath& path, mode_t mode) {
    if (::mkdir(path.constData(), mode) != 0) return Fail(errno, path);
    return FsOk();
}

FsStatus MakeFolders(const NativePath& path, mode_t mode) {
    NativePath prefix;
    for (const QByteArray& part : CleanNativePath(path).split('/')) {
        if (part.isEmpty()) continue;
        prefix += '/' + part;
        if (::mkdir(prefix.constData(), mode) == 0) continue;
        const int error = errno;
        if (error == EEXIST && IsFolder(prefix)) continue;
        return Fail(error == EEXIST ? ENOTDIR : error, prefix);
    }
    return FsOk();
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (done == 0) {
            errno = EIO;
            return false;
        }
        data += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

FsStatus SyncFolder(const NativePath& folder) {
    Fd fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0) return Fail(errno, folder);
    // Some file systems cannot sync a folder; there is nothing more to be done there.
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) return Fail(errno, folder);
    return FsOk();
}

FsStatus WriteFileAtomically(const NativePath& path, const std::function<FsStatus(int fd)>& fill,
                             mode_t mode, bool replace) {
    const NativePath folder = ParentOf(path);
    const auto blame = [&](FsStatus status) {
        if (status.path.isEmpty()) status.path = path;
        return status;
    };
    if (!replace && PathExists(path)) return Fail(EEXIST, path);
    RemoveStaleTemporaries(folder);

    // Unnamed until it is whole, so no crash and no failure leaves a partial file behind.
    Fd fd(::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    NativePath temporary;
    if (fd.get() < 0) {
        const int error = errno;
        if (error != EISDIR && error != ENOENT && !NoSuchFlag(error)) return Fail(error, path);
        if (error == ENOENT && !IsFolder(folder)) return Fail(ENOENT, path);
        // Hidden while it is written, and short, so a long target name cannot make it too long.
        for (int attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
            temporary = TemporaryName(folder);
            fd.Reset(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
            if (fd.get() < 0 && errno != EEXIST) return Fail(errno, path);
        }
        if (fd.get() < 0) return Fail(EEXIST, temporary);
    }
    const auto abandon = [&](const FsStatus& status) {
        fd.Close();
        if (!temporary.isEmpty()) ::unlink(temporary.constData());
        return blame(status);
    };

    if (FsStatus filled = fill(fd.get()); !filled.ok()) return abandon(filled);
    if (::fsync(fd.get()) != 0) return abandon(Fail(errno, path));

    if (temporary.isEmpty()) {
        const NativePath self = "/proc/self/fd/" + QByteArray::number(fd.get());
        const NativePath linkName = replace ? TemporaryName(folder) : path;
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, linkName.constData(),
                     AT_SYMLINK_FOLLOW) != 0)
            return abandon(Fail(errno, path));
        if (const int error = fd.Close()) {
            ::unlink(linkName.constData());
            return blame(Fail(error, path));
        }
        if (replace && ::rename(linkName.constData(), path.constData()) != 0) {
            const int error = errno;
            ::unlink(linkName.constData());
            return blame(Fail(error, path));
        }
    } else {
        if (const int error = fd.Close()) return abandon(Fail(error, path));
        const int error = replace
                              ? (::rename(temporary.constData(), path.constData()) == 0 ? 0 : errno)
                              : RawRenameNoReplace(temporary, path);
        if (error != 0) return abandon(Fail(error, path));
    }
    if (FsStatus synced = SyncFolder(folder); !synced.ok()) return synced;
    return FsOk();
}

qsizetype ExtensionAt(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : name.size();
}

qsizetype ExtensionAt(const NativePath& name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 ? dot : name.size();
}

}  // namespace sorvenal
