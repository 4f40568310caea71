#include "platform/file_list.h"

#include <QRegularExpression>
#include <algorithm>

namespace sorvenal {

namespace {

// The file list's pattern, made once per listing: "*.jpg" is a suffix compared without regard
// to case (a regular expression per name cost more than the whole listing); anything else is a
// wildcard match.
class NamePattern {
public:
    explicit NamePattern(const QString& pattern) {
        for (const QString& part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString rest = part.mid(1);
            if (part.startsWith(QLatin1Char('*')) && rest.startsWith(QLatin1Char('.')) &&
                !rest.contains(QLatin1Char('*')) && !rest.contains(QLatin1Char('?')) &&
                !rest.contains(QLatin1Char('[')) && rest != QLatin1String(".*"))
                suffixes_ << rest;
            else
                others_.push_back(QRegularExpression::fromWildcard(
                    part, Qt::CaseInsensitive, QRegularExpression::DefaultWildcardConversion));
        }
    }

    bool Matches(const QString& name) const {
        for (const QString& suffix : suffixes_)
            if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive))
                return true;
        return std::any_of(others_.begin(), others_.end(),
                           [&](const QRegularExpression& re) { return re.match(name).hasMatch(); });
    }

private:
    QStringList suffixes_;
    std::vector<QRegularExpression> others_;
};

template <typename E>
bool RowBefore(const E& a, const E& b) {
    const int order = a.shown.compare(b.shown, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a.name < b.name;
}

}  // namespace

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);  // no size asked of each row: the layout costs nothing per row
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (settingByCode_ || row < 0) return;
        // A mouse press makes the row current before it selects it; the click waits for that,
        // or it would find no file selected.
        if (item(row)->isSelected())
            emit Click();
        else
            clickPending_ = true;
    });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!clickPending_) return;
        clickPending_ = false;
        if (const QListWidgetItem* entry = currentItem(); entry && entry->isSelected())
            emit Click();
    });
}

void FileList::SetPath(const QString& path) { SetNativePath(NativeOf(path)); }

void FileList::SetNativePath(const NativePath& path) {
    path_ = path;
    Reread();
}

void FileList::SetPattern(const QString& pattern) {
    pattern_ = pattern;
    Reread();
}

std::vector<FileList::Entry> FileList::ReadEntries() const {
    std::vector<Entry> files;
    if (path_.isEmpty()) return files;
    const NamePattern pattern(pattern_);
    for (FolderEntry& entry : ListFolder(path_)) {
        if (entry.folder) continue;
        QString shown = ShownRowName(entry.name);
        if (pattern.Matches(shown)) files.push_back({std::move(shown), std::move(entry.name)});
    }
    std::sort(files.begin(), files.end(), RowBefore<Entry>);
    return files;
}

void FileList::Reread() {
    settingByCode_ = true;
    Fill(ReadEntries());
    setCurrentRow(-1);
    settingByCode_ = false;
}

void FileList::SetNativePathListingOnly(const NativePath& path, const NativePath& name) {
    path_ = path;
    std::vector<Entry> only;
    QString shown = ShownRowName(name);
    if (NamePattern(pattern_).Matches(shown) && IsFile(JoinNative(path, name)))
        only.push_back({std::move(shown), name});
    settingByCode_ = true;
    Fill(std::move(only));
    setCurrentRow(-1);
    settingByCode_ = false;
}

void FileList::Fill(std::vector<Entry> entries) {
    clear();
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(entries.size()));
    for (const Entry& entry : entries) texts << entry.shown;
    addItems(texts);  // one insertion for all rows
    entries_ = std::move(entries);
}

bool FileList::Refresh() {
    const NativePath selected = NativeFileName();
    settingByCode_ = true;
    ApplyDifference(ReadEntries());
    bool kept = selected.isEmpty();
    if (!kept) {
        const int row = currentRow();
        kept = row >= 0 && entries_[static_cast<size_t>(row)].name == selected &&
               item(row)->isSelected();
        if (!kept) {
            // Rebuilt, or the row went: find the name again.
            for (size_t i = 0; i < entries_.size() && !kept; ++i)
                if (entries_[i].name == selected) {
                    setCurrentRow(static_cast<int>(i));
                    kept = true;
                }
        }
        if (!kept) setCurrentRow(-1);
    }
    settingByCode_ = false;
    return kept;
}

// Few changes edit the rows one by one, so the current row and the scroll position stay as the
// user left them; many rebuild the list at once.
void FileList::ApplyDifference(std::vector<Entry> entries) {
    constexpr size_t kMostEdits = 200;
    struct Edit {
        size_t at;     // position in the old rows
        size_t entry;  // the new entry an insertion takes
        bool insert;
    };
    std::vector<Edit> edits;
    size_t i = 0, j = 0;
    while ((i < entries_.size() || j < entries.size()) && edits.size() <= kMostEdits) {
        if (i < entries_.size() && j < entries.size() && entries_[i].name == entries[j].name &&
            entries_[i].shown == entries[j].shown) {
            ++i;
            ++j;
        } else if (j == entries.size() ||
                   (i < entries_.size() && RowBefore(entries_[i], entries[j]))) {
            edits.push_back({i++, 0, false});
        } else {
            edits.push_back({i, j++, true});
        }
    }
    if (edits.size() > kMostEdits) {
        Fill(std::move(entries));
        return;
    }
    // From the end, so the positions of the edits still to come stay valid.
    for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit) {
        const int row = static_cast<int>(edit->at);
        const auto at = entries_.begin() + static_cast<std::ptrdiff_t>(edit->at);
        if (edit->insert) {
            insertItem(row, entries[edit->entry].shown);
            entries_.insert(at, std::move(entries[edit->entry]));
        } else {
            delete takeItem(row);
            entries_.erase(at);
        }
    }
}

bool FileList::SetListIndex(int index) {
    if (index < -1 || index >= count()) return false;
    settingByCode_ = true;
    setCurrentRow(index);
    if (index >= 0) scrollToItem(item(index));
    settingByCode_ = false;
    if (index >= 0) emit Click();
    return true;
}

QString FileList::List(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

QString FileList::FileName() const {
    const int row = currentRow();
    const QListWidgetItem* entry = item(row);
    return entry && entry->isSelected() ? entry->text() : QString();
}

// Qt makes the first entry current when a list without one takes the focus (a menu closing is
// enough); here nothing is selected until the user or the program selects it.
void FileList::focusInEvent(QFocusEvent* event) {
    const bool none = currentItem() == nullptr || !currentItem()->isSelected();
    settingByCode_ = true;
    QListWidget::focusInEvent(event);
    if (none && currentItem() && !currentItem()->isSelected()) setCurrentRow(-1);
    settingByCode_ = false;
}

NativePath FileList::NativeList(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size()) return NativePath();
    return entries_[static_cast<size_t>(index)].name;
}

NativePath FileList::NativeFileName() const {
    const QListWidgetItem* entry = item(currentRow());
    return entry && entry->isSelected() ? NativeList(currentRow()) : NativePath();
}

NativePath FileList::NativeFilePath() const {
    const NativePath name = NativeFileName();
    return name.isEmpty() ? NativePath() : JoinNative(path_, name);
}

}  // namespace sorvenal
