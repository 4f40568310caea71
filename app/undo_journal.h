#pragma once
// The journal of an unsaved retouch: the source file and the steps done on it, written after
// each step so that a crash or a kill loses nothing. It never holds pixels; the source file and
// the steps make the picture again.
#include <QByteArray>
#include <optional>
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
// Reads a journal file; nothing when it cannot be read or is damaged.
std::optional<Journal> ReadJournal(const NativePath& path);

}  // namespace sorvenal
