#include "platform/file_list.h"

#include <QDir>
#include <algorithm>

namespace sorvenal {

namespace {
constexpr int kNameRole = Qt::UserRole + 1;
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
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

void FileList::Reread() {
    settingByCode_ = true;
    clear();
    if (!path_.isEmpty()) {
        const QStringList patterns = pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        std::vector<std::pair<QString, NativePath>> files;
        for (const FolderEntry& entry : ListFolder(path_)) {
            if (entry.folder) continue;
            const QString shown = ShownName(entry.name);
            if (QDir::match(patterns, shown)) files.emplace_back(shown, entry.name);
        }
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
            const int order = a.first.compare(b.first, Qt::CaseInsensitive);
            return order != 0 ? order < 0 : a.second < b.second;
        });
        for (const auto& [shown, name] : files) {
            auto* item = new QListWidgetItem(shown, this);
            item->setData(kNameRole, name);
        }
    }
    setCurrentRow(-1);
    settingByCode_ = false;
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
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(kNameRole).toByteArray() : NativePath();
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
