#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringList>
#include <cerrno>
#include <cstdio>
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

// The rename itself. RENAME_NOREPLACE makes test and rename one step; where the file system
// lacks it, a hard link does the same for files. Folders, or files where links are not to be
// had (FAT), fall back to test-then-rename, the narrowest window left.
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
    if (PathExists(to)) return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
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

std::vector<FolderEntry> ListFolder(const NativePath& folder) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return entries;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;  // hidden, as in a file manager
        bool isFolder = entry->d_type == DT_DIR;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(dirFd, entry->d_name, &st, 0) != 0) continue;
            isFolder = S_ISDIR(st.st_mode);
            isFile = S_ISREG(st.st_mode);
        }
        if (isFolder || isFile) entries.push_back({NativePath(entry->d_name), isFolder});
    }
    ::closedir(dir);
    return entries;
}

FsStatus RenameNoReplace(const NativePath& from, const NativePath& to) {
    if (SameFile(from, to)) {
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
    Fd in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return Fail(errno, from);
    struct stat source {};
    if (::fstat(in.get(), &source) != 0) return Fail(errno, from);
    if (S_ISDIR(source.st_mode)) return Fail(EISDIR, from);
    if (!S_ISREG(source.st_mode)) return Fail(EINVAL, from);
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
            ::fchmod(out, source.st_mode & 07777);
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

    // Unnamed until it is whole, so no crash and no failure leaves a partial file behind.
    Fd fd(::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    NativePath temporary;
    if (fd.get() < 0) {
        const int error = errno;
        if (error != EISDIR && error != ENOENT && !NoSuchFlag(error)) return Fail(error, path);
        if (error == ENOENT && !IsFolder(folder)) return Fail(ENOENT, path);
        // Hidden while it is written, and short, so a long target name cannot make it too long.
        for (int attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
            temporary = JoinNative(folder, ".sorvenal-" + RandomSuffix() + ".tmp");
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
        const NativePath linkName =
            replace ? JoinNative(folder, ".sorvenal-" + RandomSuffix() + ".tmp") : path;
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
