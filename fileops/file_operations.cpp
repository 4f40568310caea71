#include "fileops/file_operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace sorvenal {

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

FileOpResult Success() { return {}; }
FileOpResult Taken() { return {FileOpStatus::Exists, qt_error_string(EEXIST)}; }
FileOpResult SystemFailure(int error) { return {FileOpStatus::Failed, qt_error_string(error)}; }
FileOpResult Failure(const QString& reason) { return {FileOpStatus::Failed, reason}; }

bool NameTaken(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// Renames without ever replacing the target. RENAME_NOREPLACE makes the test and the rename one
// step; where the file system lacks it, a hard link does the same for files. Folders on such a
// file system fall back to test-then-rename, the narrowest window left.
FileOpResult RenameNoReplace(const QByteArray& from, const QByteArray& to, bool isFolder,
                             bool* crossDevice = nullptr) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return Success();
    int error = errno;
    if (error == EEXIST) return Taken();
    if (error == EXDEV && crossDevice) {
        *crossDevice = true;
        return SystemFailure(error);
    }
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return SystemFailure(error);

    if (!isFolder) {
        if (::link(from.constData(), to.constData()) == 0) {
            if (::unlink(from.constData()) == 0) return Success();
            error = errno;
            ::unlink(to.constData());
            return SystemFailure(error);
        }
        error = errno;
        if (error == EEXIST) return Taken();
        if (error == EXDEV && crossDevice) {
            *crossDevice = true;
            return SystemFailure(error);
        }
        if (error != EPERM && error != EOPNOTSUPP) return SystemFailure(error);
    }
    if (NameTaken(to)) return Taken();
    if (::rename(from.constData(), to.constData()) == 0) return Success();
    return SystemFailure(errno);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies the bytes, mode and times of an open source into a new temporary file beside the target.
// Returns the temporary's path in tempPath; on failure nothing is left behind.
FileOpResult CopyToTemporary(int in, const struct stat& source, const QByteArray& to,
                             QByteArray& tempPath) {
    const QByteArray folder = Native(QFileInfo(QFile::decodeName(to)).absolutePath());
    // Hidden, so the file list never shows a half-written copy.
    QByteArray pattern = folder + "/.sorvenal-copy-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    Fd out(::mkstemp(name.data()));
    if (out.get() < 0) return SystemFailure(errno);
    tempPath = QByteArray(name.data());

    const auto abandon = [&](int error) {
        ::unlink(tempPath.constData());
        return SystemFailure(error);
    };

    std::vector<char> buffer(1 << 20);
    off_t copied = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon(errno);
        }
        if (n == 0) break;
        if (!WriteAll(out.get(), buffer.data(), static_cast<size_t>(n))) return abandon(errno);
        copied += n;
    }
    ::fchmod(out.get(), source.st_mode & 0777);
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::futimens(out.get(), times);
    if (::fsync(out.get()) != 0) return abandon(errno);

    struct stat written {};
    if (::fstat(out.get(), &written) != 0) return abandon(errno);
    if (copied != source.st_size || written.st_size != source.st_size) {
        ::unlink(tempPath.constData());
        return Failure(QStringLiteral("コピーの大きさが元のファイルと一致しません"));
    }
    if (::close(out.release()) != 0) return abandon(errno);
    return Success();
}

}  // namespace

bool FileExists(const QString& path) {
    struct stat st {};
    return ::stat(Native(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const QString& path) {
    struct stat st {};
    return ::stat(Native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileOpResult RenameFile(const QString& from, const QString& to) {
    return RenameNoReplace(Native(from), Native(to), false);
}

FileOpResult CopyFile(const QString& from, const QString& to) {
    const QByteArray source = Native(from);
    const QByteArray target = Native(to);
    Fd in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return SystemFailure(errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) return SystemFailure(errno);
    if (!S_ISREG(st.st_mode)) return Failure(QStringLiteral("通常のファイルではありません"));
    // Cheap early answer; the final no-replace rename is what really guards the target.
    if (NameTaken(target)) return Taken();

    QByteArray temp;
    FileOpResult copied = CopyToTemporary(in.get(), st, target, temp);
    if (!copied.ok()) return copied;
    FileOpResult placed = RenameNoReplace(temp, target, false);
    if (!placed.ok()) ::unlink(temp.constData());
    return placed;
}

FileOpResult MoveFile(const QString& from, const QString& to) {
    bool crossDevice = false;
    FileOpResult moved = RenameNoReplace(Native(from), Native(to), false, &crossDevice);
    if (!crossDevice) return moved;

    FileOpResult copied = CopyFile(from, to);
    if (!copied.ok()) return copied;
    if (::unlink(Native(from).constData()) != 0)
        return {FileOpStatus::SourceNotRemoved, qt_error_string(errno)};
    return Success();
}

DeleteResult DeleteToTrash(const QString& path) {
    const QByteArray native = Native(path);
    if (!NameTaken(native)) return {SystemFailure(ENOENT), false};
    if (QFile::moveToTrash(path)) return {Success(), true};
    // No usable trash for this file system: the user has confirmed, so delete for good.
    if (::unlink(native.constData()) == 0) return {Success(), false};
    return {SystemFailure(errno), false};
}

FileOpResult CreateFolder(const QString& path) {
    if (::mkdir(Native(path).constData(), 0777) == 0) return Success();
    const int error = errno;
    if (error == EEXIST) return Taken();
    return SystemFailure(error);
}

FileOpResult RenameFolder(const QString& from, const QString& to) {
    return RenameNoReplace(Native(from), Native(to), true);
}

NameProblem ValidateNewName(const QString& name) {
    if (name.contains(QLatin1Char('/'))) return NameProblem::Separator;
    if (name == QLatin1String(".") || name == QLatin1String("..")) return NameProblem::DotName;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control)
            return NameProblem::ControlChar;
    }
    return NameProblem::None;
}

}  // namespace sorvenal
