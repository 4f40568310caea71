#pragma once
// The journal of an unsaved retouch: the source file and the steps done on it, written after
// each step so that a crash or a kill loses nothing. It never holds pixels; the source file and
// the steps make the picture again.
#include <QByteArray>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/undo_history_steps.h"
#include "platform/file_system.h"

namespace sorvenal {

struct JournalSource {
    NativePath path;        // the file's path as the file system's bytes
    qint64 size = 0;        // bytes
    qint64 modifiedNs = 0;  // modification time, nanoseconds since the epoch
    bool operator==(const JournalSource&) const = default;
};

struct Journal {
    JournalSource source;
    std::vector<HistoryStep> steps;
};

// The journal as text (see the read-me), and back; nothing for a damaged or foreign text.
QByteArray JournalText(const Journal& journal);
std::optional<Journal> ParseJournal(const QByteArray& text);

// The size and time of the file now; nothing when it is gone or no plain file.
std::optional<JournalSource> SourceNow(const NativePath& path);

// $XDG_STATE_HOME/sorvenal, else ~/.local/state/sorvenal.
NativePath JournalFolder();
// This process's journal in that folder.
NativePath OwnJournalPath();
// Journals left by processes that no longer run, newest first.
std::vector<NativePath> LeftJournals();

// Durable and atomic: the folder is made private (0700), the file (0600) replaces the last
// one whole.
FsStatus WriteJournal(const NativePath& path, const Journal& journal);
FsStatus WriteJournalText(const NativePath& path, const QByteArray& text);

// Writes one journal file on a thread of its own, so that a slow disk's sync never holds the
// window; of the requests not yet begun only the newest is carried out.
class JournalWriter {
public:
    explicit JournalWriter(NativePath path) : path_(std::move(path)) {}
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    // Carries out the last request first.
    ~JournalWriter();

    const NativePath& Path() const { return path_; }
    void Write(QByteArray text);
    void Remove();
    // Until the file is as the last request asked.
    void Wait();
    // The last write that ended failed (its error number), 0 otherwise.
    int LastError();

private:
    void Request(std::optional<QByteArray> text);
    void Run();

    NativePath path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::optional<std::optional<QByteArray>> pending_;  // the inner nothing: remove the file
    bool working_ = false;
    bool stop_ = false;
    int lastError_ = 0;
    std::thread thread_;
};
// Reads a journal file; nothing when it cannot be read or is damaged.
std::optional<Journal> ReadJournal(const NativePath& path);

}  // namespace sorvenal
