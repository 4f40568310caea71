#include "app/undo_journal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace sorvenal {

namespace {

constexpr std::string_view kHeader = "sorvenal-journal 1";
constexpr std::size_t kMaxJournalBytes = std::size_t{16} << 20;

// FNV-1a: enough to tell a torn or edited file, no defence against a forger.
std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

template <typename T>
void Append(QByteArray& out, T value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr - text);
}

template <typename T>
bool Parse(std::string_view text, T& value) {
    if (text.empty()) return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const std::size_t space = line.find(' ');
        words.push_back(line.substr(0, space));
        if (space == std::string_view::npos) break;
        line.remove_prefix(space + 1);
    }
    return words;
}

bool ParseStep(const std::vector<std::string_view>& w, HistoryStep& step) {
    if (w[0] == "command" && w.size() == 2) {
        const std::optional<RetouchCommand> command = RetouchCommandFromName(w[1]);
        if (!command) return false;
        step = HistoryStep::OfCommand(*command);
        return true;
    }
    if (w[0] == "skin" && w.size() == 9) {
        SkinState skin;
        double x = 0, y = 0;
        if (!Parse(w[1], skin.R0) || !Parse(w[2], skin.G0) || !Parse(w[3], skin.B0) ||
            !Parse(w[4], skin.M0) || !Parse(w[5], skin.N0) || !Parse(w[6], skin.Dw) ||
            !Parse(w[7], x) || !Parse(w[8], y) || !std::isfinite(x) || !std::isfinite(y))
            return false;
        step = HistoryStep::OfSkin(skin, x, y);
        return true;
    }
    if (w[0] == "circle" && w.size() == 6) {
        const std::optional<CircleEffect> effect = CircleEffectFromName(w[1]);
        Circle circle;
        std::uint64_t position = 0;
        if (!effect || !Parse(w[2], circle.X1) || !Parse(w[3], circle.Y1) ||
            !Parse(w[4], circle.rl) || !Parse(w[5], position) || !std::isfinite(circle.X1) ||
            !std::isfinite(circle.Y1) || !std::isfinite(circle.rl) || circle.rl < 0)
            return false;
        step = HistoryStep::OfCircle(*effect, circle, RandomSequence());
        step.randomPosition = position;
        step.random.reset();
        return true;
    }
    if (w[0] == "revert" && w.size() == 1) {
        step = HistoryStep::OfRevert();
        return true;
    }
    return false;
}

}  // namespace

QByteArray JournalText(const Journal& journal) {
    QByteArray out;
    out.append(kHeader.data(), static_cast<qsizetype>(kHeader.size()));
    out += "\nsource " + journal.source.path.toHex() + "\nsize ";
    Append(out, journal.source.size);
    out += "\nmtime ";
    Append(out, journal.source.modifiedNs);
    out += '\n';
    for (const HistoryStep& step : journal.steps) {
        switch (step.kind) {
            case HistoryStep::Kind::Command: {
                const std::string_view name = RetouchCommandName(step.command);
                out += "command ";
                out.append(name.data(), static_cast<qsizetype>(name.size()));
                break;
            }
            case HistoryStep::Kind::Skin:
                out += "skin";
                for (const std::int32_t v : {step.skin.R0, step.skin.G0, step.skin.B0, step.skin.M0,
                                             step.skin.N0, step.skin.Dw}) {
                    out += ' ';
                    Append(out, v);
                }
                out += ' ';
                Append(out, step.x);
                out += ' ';
                Append(out, step.y);
                break;
            case HistoryStep::Kind::Circle: {
                const std::string_view name = CircleEffectName(step.effect);
                out += "circle ";
                out.append(name.data(), static_cast<qsizetype>(name.size()));
                for (const float v : {step.circle.X1, step.circle.Y1, step.circle.rl}) {
                    out += ' ';
                    Append(out, v);
                }
                out += ' ';
                Append(out, step.randomPosition);
                break;
            }
            case HistoryStep::Kind::Revert:
                out += "revert";
                break;
        }
        out += '\n';
    }
    const std::uint64_t sum = Checksum(std::string_view(out.constData(), out.size()));
    out += "end ";
    Append(out, journal.steps.size());
    out += ' ' + QByteArray::number(static_cast<qulonglong>(sum), 16) + '\n';
    return out;
}

std::optional<Journal> ParseJournal(const QByteArray& text) {
    const std::string_view all(text.constData(), static_cast<std::size_t>(text.size()));
    if (all.empty() || all.back() != '\n') return std::nullopt;
    const std::size_t endAt = all.rfind('\n', all.size() - 2);
    if (endAt == std::string_view::npos) return std::nullopt;
    const std::string_view body = all.substr(0, endAt + 1);
    const std::vector<std::string_view> end = Words(all.substr(endAt + 1, all.size() - endAt - 2));
    std::size_t count = 0;
    std::uint64_t sum = 0;
    if (end.size() != 3 || end[0] != "end" || !Parse(end[1], count) ||
        std::from_chars(end[2].data(), end[2].data() + end[2].size(), sum, 16).ptr !=
            end[2].data() + end[2].size() ||
        sum != Checksum(body))
        return std::nullopt;

    Journal journal;
    std::size_t lineNo = 0;
    std::string_view rest = body;
    while (!rest.empty()) {
        const std::size_t newline = rest.find('\n');
        const std::string_view line = rest.substr(0, newline);
        rest.remove_prefix(newline + 1);
        const std::vector<std::string_view> w = Words(line);
        switch (lineNo++) {
            case 0:
                if (line != kHeader) return std::nullopt;
                continue;
            case 1: {
                if (w.size() != 2 || w[0] != "source" || w[1].empty()) return std::nullopt;
                const QByteArray hex(w[1].data(), static_cast<qsizetype>(w[1].size()));
                journal.source.path = QByteArray::fromHex(hex);
                if (journal.source.path.toHex() != hex.toLower()) return std::nullopt;
                continue;
            }
            case 2:
                if (w.size() != 2 || w[0] != "size" || !Parse(w[1], journal.source.size))
                    return std::nullopt;
                continue;
            case 3:
                if (w.size() != 2 || w[0] != "mtime" || !Parse(w[1], journal.source.modifiedNs))
                    return std::nullopt;
                continue;
            default:
                break;
        }
        HistoryStep step;
        if (w.empty() || !ParseStep(w, step)) return std::nullopt;
        journal.steps.push_back(std::move(step));
    }
    if (lineNo < 4 || journal.steps.size() != count) return std::nullopt;
    return journal;
}

std::optional<JournalSource> SourceNow(const NativePath& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return JournalSource{
        path, static_cast<qint64>(st.st_size),
        static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

NativePath JournalFolder() {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    if (state.startsWith('/')) return JoinNative(state, "sorvenal");
    QByteArray home = qgetenv("HOME");
    if (!home.startsWith('/')) home = QFile::encodeName(QDir::homePath());
    return JoinNative(home, ".local/state/sorvenal");
}

NativePath OwnJournalPath() {
    return JoinNative(
        JournalFolder(),
        "retouch-" + QByteArray::number(static_cast<qint64>(::getpid())) + ".journal");
}

std::vector<NativePath> LeftJournals() {
    const NativePath folder = JournalFolder();
    std::vector<std::pair<qint64, NativePath>> found;
    for (const FolderEntry& entry : ListFolder(folder)) {
        if (entry.folder || !entry.name.startsWith("retouch-") || !entry.name.endsWith(".journal"))
            continue;
        bool number = false;
        const qint64 pid = entry.name.mid(8, entry.name.size() - 16).toLongLong(&number);
        // A journal whose process still runs is that process's own.
        if (!number || pid <= 0 || pid == ::getpid() ||
            (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH))
            continue;
        const NativePath path = JoinNative(folder, entry.name);
        const std::optional<JournalSource> at = SourceNow(path);
        found.emplace_back(at ? at->modifiedNs : 0, path);
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<NativePath> paths;
    paths.reserve(found.size());
    for (auto& [time, path] : found) paths.push_back(std::move(path));
    return paths;
}

FsStatus WriteJournal(const NativePath& path, const Journal& journal) {
    return WriteJournalText(path, JournalText(journal));
}

FsStatus WriteJournalText(const NativePath& path, const QByteArray& text) {
    const NativePath folder = ParentOf(path);
    if (FsStatus made = MakeFolders(folder, 0700); !made.ok()) return made;
    if (::chmod(folder.constData(), 0700) != 0) return FsStatus{errno, folder};
    return WriteFileAtomically(
        path,
        [&text](int fd) {
            if (!WriteAll(fd, text.constData(), static_cast<size_t>(text.size())))
                return FsStatus{errno, {}};
            return FsOk();
        },
        0600, true);
}

JournalWriter::~JournalWriter() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void JournalWriter::Write(QByteArray text) { Request(std::move(text)); }

void JournalWriter::Remove() { Request(std::nullopt); }

void JournalWriter::Request(std::optional<QByteArray> text) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(text);
        if (!thread_.joinable()) thread_ = std::thread(&JournalWriter::Run, this);
    }
    wake_.notify_one();
}

void JournalWriter::Wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return !pending_ && !working_; });
}

int JournalWriter::LastError() {
    const std::lock_guard lock(mutex_);
    return lastError_;
}

// The writer's own thread: it touches nothing but the file and its own members.
void JournalWriter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stop_; });
        if (!pending_) return;  // stopped with nothing left to do
        const std::optional<QByteArray> request = std::move(*pending_);
        pending_.reset();
        working_ = true;
        lock.unlock();
        const int error = request
                              ? WriteJournalText(path_, *request).error
                              : (::unlink(path_.constData()) == 0 || errno == ENOENT ? 0 : errno);
        lock.lock();
        working_ = false;
        lastError_ = error;
        done_.notify_all();
    }
}

std::optional<Journal> ReadJournal(const NativePath& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    QByteArray text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, n);
        if (static_cast<std::size_t>(text.size()) > kMaxJournalBytes) break;
    }
    ::close(fd);
    if (static_cast<std::size_t>(text.size()) > kMaxJournalBytes) return std::nullopt;
    return ParseJournal(text);
}

}  // namespace sorvenal
