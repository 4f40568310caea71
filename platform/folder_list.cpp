#include "platform/folder_list.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace sorvenal {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this, &FolderList::Activate);
}

QString FolderList::RootPath() { return QDir::rootPath(); }

bool FolderList::IsReadableFolder(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir()) return false;
    // Listing needs both read and search permission on the folder itself.
    return ::access(QFile::encodeName(info.absoluteFilePath()).constData(), R_OK | X_OK) == 0;
}

bool FolderList::SetPath(const QString& path) {
    if (!IsReadableFolder(path)) return false;
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (clean == path_) {
        Fill();
        return true;
    }
    path_ = clean;
    Fill();
    emit Change();
    return true;
}

QString FolderList::ListParent() const {
    QDir dir(path_);
    if (path_.isEmpty() || dir.isRoot()) return QString();
    dir.cdUp();
    return dir.absolutePath();
}

void FolderList::Reread() { Fill(); }

void FolderList::Fill() {
    clear();
    if (path_.isEmpty()) return;
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList chain;  // root ... current
    for (QDir dir(path_);; dir.cdUp()) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot()) break;
    }
    qsizetype depth = 0;  // indentation in pairs of spaces
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(open, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QStringList subfolders =
        QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, QDir(path_).filePath(name));
    }
}

void FolderList::Activate(QListWidgetItem* item) {
    if (!item) return;
    const QString target = item->data(kPathRole).toString();
    if (!SetPath(target)) emit PathRefused(target);
}

}  // namespace sorvenal
