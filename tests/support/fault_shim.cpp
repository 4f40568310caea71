// Preloaded into the fault tests: makes chosen system calls fail with a chosen error, so a full
// disk, a read-only file system or a refused permission can be met as root. The rules come
// from SORVENAL_FAULT, read at every call: "call:errno:path-part;...". A rule fires when the
// call's path (for calls on a descriptor, the path the descriptor was opened on) contains the
// path part. "open_tmpfile" matches only opens that ask for an unnamed file.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool PathMatches(const char* path, const char* part, size_t partLength) {
    if (!path) return false;
    if (partLength == 0) return true;
    const size_t length = std::strlen(path);
    for (size_t i = 0; i + partLength <= length; ++i)
        if (std::memcmp(path + i, part, partLength) == 0) return true;
    return false;
}

// The error a rule gives for this call on one of these paths, or 0.
int Fault(const char* call, const char* path, const char* other = nullptr) {
    const char* rules = std::getenv("SORVENAL_FAULT");
    if (!rules) return 0;
    const size_t callLength = std::strlen(call);
    for (const char* rule = rules; *rule;) {
        const char* end = std::strchr(rule, ';');
        if (!end) end = rule + std::strlen(rule);
        const char* colon = static_cast<const char*>(std::memchr(rule, ':', end - rule));
        if (colon && static_cast<size_t>(colon - rule) == callLength &&
            std::memcmp(rule, call, callLength) == 0) {
            char* afterNumber = nullptr;
            const long error = std::strtol(colon + 1, &afterNumber, 10);
            const char* part = afterNumber < end && *afterNumber == ':' ? afterNumber + 1 : end;
            const size_t partLength = static_cast<size_t>(end - part);
            if (PathMatches(path, part, partLength) || PathMatches(other, part, partLength))
                return static_cast<int>(error);
        }
        rule = *end ? end + 1 : end;
    }
    return 0;
}

int FdFault(const char* call, int fd) {
    if (!std::getenv("SORVENAL_FAULT")) return 0;
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n < 0) return 0;
    target[n] = '\0';
    return Fault(call, target);
}

template <typename F>
F Real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool TakesMode(int flags) { return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE; }

// "fold": names are found whatever their case, as on FAT and exFAT; the path to use instead.
const char* Fold(const char* path, char* out, size_t size) {
    if (!path || !Fault("fold", path)) return path;
    const char* slash = std::strrchr(path, '/');
    if (!slash) return path;
    const int dirLength = static_cast<int>(slash - path);
    char dir[4096];
    std::snprintf(dir, sizeof dir, "%.*s", dirLength, path);
    DIR* d = ::opendir(dir);
    if (!d) return path;
    const char* result = path;
    while (const dirent* entry = ::readdir(d)) {
        if (::strcasecmp(entry->d_name, slash + 1) == 0) {
            const size_t nameLength = std::strlen(entry->d_name);
            if (static_cast<size_t>(dirLength) + 1 + nameLength + 1 > size) break;
            std::memcpy(out, dir, static_cast<size_t>(dirLength));
            out[dirLength] = '/';
            std::memcpy(out + dirLength + 1, entry->d_name, nameLength + 1);
            result = out;
            break;
        }
    }
    ::closedir(d);
    return result;
}

// "appear": another program creates the named file, with "theirs" in it, just before this
// process's next exclusive create, folder creation or rename there (the race a no-replace step must
// win).
void Appear(const char* path) {
    if (!Fault("appear", path)) return;
    static auto real = Real<int (*)(const char*, int, ...)>("open");
    const int fd = real(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return;
    static auto realWrite = Real<ssize_t (*)(int, const void*, size_t)>("write");
    (void)!realWrite(fd, "theirs", 6);
    ::close(fd);
}

int OpenFault(const char* path, int flags) {
    if ((flags & O_TMPFILE) == O_TMPFILE)
        if (const int error = Fault("open_tmpfile", path)) return error;
    if ((flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL)) Appear(path);
    return Fault("open", path);
}

using StatCall = int (*)(const char*, struct stat*);

// stat or lstat through the "fold" and "ino" rules.
int FoldedStat(StatCall real, const char* path, struct stat* st) {
    char folded[4096];
    const int result = real(Fold(path, folded, sizeof folded), st);
    if (result == 0) st->st_ino += static_cast<ino_t>(Fault("ino", path));
    return result;
}

}  // namespace

extern "C" {

int sorvenal_fault_shim_loaded() { return 1; }

#define SORVENAL_FAIL_IF(expr)      \
    do {                            \
        if (const int e = (expr)) { \
            errno = e;              \
            return -1;              \
        }                           \
    } while (0)

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (TakesMode(flags)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    SORVENAL_FAIL_IF(OpenFault(path, flags));
    static auto real = Real<int (*)(const char*, int, ...)>("open");
    char folded[4096];
    return real(Fold(path, folded, sizeof folded), flags, mode);
}

int open64(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (TakesMode(flags)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    SORVENAL_FAIL_IF(OpenFault(path, flags));
    static auto real = Real<int (*)(const char*, int, ...)>("open64");
    char folded[4096];
    return real(Fold(path, folded, sizeof folded), flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (TakesMode(flags)) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    SORVENAL_FAIL_IF(OpenFault(path, flags));
    static auto real = Real<int (*)(int, const char*, int, ...)>("openat");
    char folded[4096];
    return real(dir, Fold(path, folded, sizeof folded), flags, mode);
}

int rename(const char* from, const char* to) {
    SORVENAL_FAIL_IF(Fault("rename", from, to));
    Appear(to);
    static auto real = Real<int (*)(const char*, const char*)>("rename");
    char foldedFrom[4096], foldedTo[4096];
    return real(Fold(from, foldedFrom, sizeof foldedFrom), Fold(to, foldedTo, sizeof foldedTo));
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    SORVENAL_FAIL_IF(Fault("renameat2", from, to));
    SORVENAL_FAIL_IF(Fault("rename", from, to));
    static auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    return real(fromDir, from, toDir, to, flags);
}

int link(const char* from, const char* to) {
    SORVENAL_FAIL_IF(Fault("link", from, to));
    static auto real = Real<int (*)(const char*, const char*)>("link");
    return real(from, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    SORVENAL_FAIL_IF(Fault("link", to));
    static auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
    return real(fromDir, from, toDir, to, flags);
}

// "ino": lstat reports the inode number plus the rule's number for matching paths, as file
// systems that make up inode numbers per name (exFAT through FUSE) do.
int lstat(const char* path, struct stat* st) {
    static auto real = Real<StatCall>("lstat");
    return FoldedStat(real, path, st);
}

int stat(const char* path, struct stat* st) {
    static auto real = Real<StatCall>("stat");
    return FoldedStat(real, path, st);
}

int fstat(int fd, struct stat* st) {
    static auto real = Real<int (*)(int, struct stat*)>("fstat");
    const int result = real(fd, st);
    if (result == 0) st->st_ino += static_cast<ino_t>(FdFault("ino", fd));
    return result;
}

int unlink(const char* path) {
    SORVENAL_FAIL_IF(Fault("unlink", path));
    static auto real = Real<int (*)(const char*)>("unlink");
    return real(path);
}

int mkdir(const char* path, mode_t mode) {
    SORVENAL_FAIL_IF(Fault("mkdir", path));
    Appear(path);
    static auto real = Real<int (*)(const char*, mode_t)>("mkdir");
    return real(path, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    SORVENAL_FAIL_IF(FdFault("write", fd));
    static auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    return real(fd, data, size);
}

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t size,
                        unsigned flags) {
    SORVENAL_FAIL_IF(FdFault("copy_file_range", out));
    SORVENAL_FAIL_IF(FdFault("write", out));
    static auto real =
        Real<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned)>("copy_file_range");
    return real(in, inOffset, out, outOffset, size, flags);
}

int fsync(int fd) {
    SORVENAL_FAIL_IF(FdFault("fsync", fd));
    static auto real = Real<int (*)(int)>("fsync");
    return real(fd);
}

}  // extern "C"
