#include "platform/folder_list.h"

#include <unistd.h>

#include <QDir>
#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "platform/file_list.h"

namespace sorvenal {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this, &FolderList::Activate);
}

QString FolderList::RootPath() { return QDir::rootPath(); }

bool FolderList::IsReadableFolder(const QString& path) { return IsReadableFolder(NativeOf(path)); }

bool FolderList::IsReadableFolder(const NativePath& path) {
    // Listing needs both read and search permission on the folder itself.
    return IsFolder(path) && ::access(path.constData(), R_OK | X_OK) == 0;
}

bool FolderList::SetPath(const QString& path) { return SetNativePath(NativeOf(path)); }

bool FolderList::SetNativePath(const NativePath& path) {
    if (path.isEmpty() || !IsReadableFolder(path)) return false;
    const NativePath clean = CleanNativePath(path);
    if (clean == path_) {
        Fill();
        return true;
    }
    path_ = clean;
    Fill();
    emit Change();
    return true;
}

QString FolderList::ListParent() const { return ShownPath(NativeParent()); }

NativePath FolderList::NativeParent() const {
    if (path_.isEmpty() || path_ == "/") return NativePath();
    return ParentOf(path_);
}

void FolderList::Reread() {
    subfoldersDeferred_ = false;
    Fill();
}

void FolderList::Fill() {
    clear();
    if (path_.isEmpty()) return;
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    std::vector<NativePath> chain;  // root ... current
    for (NativePath folder = path_;; folder = ParentOf(folder)) {
        chain.insert(chain.begin(), folder);
        if (folder == "/") break;
    }
    qsizetype depth = 0;  // indentation in pairs of spaces
    for (const NativePath& folder : chain) {
        const QString name = depth == 0 ? ShownPath(folder) : ShownRowName(BaseNameOf(folder));
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    if (subfoldersDeferred_) return;
    std::vector<std::pair<QString, NativePath>> subfolders;
    for (const FolderEntry& entry : ListFolder(path_, true))
        subfolders.emplace_back(ShownRowName(entry.name), entry.name);
    std::sort(subfolders.begin(), subfolders.end(), [](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.second < b.second;
    });
    for (const auto& [shown, name] : subfolders) {
        auto* item =
            new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + shown, this);
        item->setData(kPathRole, JoinNative(path_, name));
    }
}

// Enter opens the highlighted folder as a double-click does, and goes no further: the dialog
// around the list would take it for its OK button.
void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (event->modifiers() & ~Qt::KeypadModifier) {
            QListWidget::keyPressEvent(event);
            return;
        }
        Activate(currentItem());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FolderList::Activate(QListWidgetItem* item) {
    if (!item) return;
    const NativePath target = item->data(kPathRole).toByteArray();
    if (!SetNativePath(target)) emit PathRefused(ShownPath(target));
}

void RelistFolders(FolderList& dir1, FileList* file1, const NativePath& folder) {
    bool changed = false;
    const auto watch = QObject::connect(&dir1, &FolderList::Change, [&changed] { changed = true; });
    dir1.SetPath(FolderList::RootPath());
    dir1.SetNativePath(folder);
    QObject::disconnect(watch);
    if (!changed) {
        dir1.Reread();
        if (file1) file1->Reread();
    }
}

}  // namespace sorvenal
