#include "platform/file_list.h"

#include <QDir>

namespace sorvenal {

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!settingByCode_ && row >= 0) emit Click();
    });
}

void FileList::SetPath(const QString& path) {
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
        QDir dir(path_);
        dir.setNameFilters(pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts));
        dir.setFilter(QDir::Files);  // hidden files stay out, as in a file manager
        dir.setSorting(QDir::Name | QDir::IgnoreCase);
        addItems(dir.entryList());
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

}  // namespace sorvenal
