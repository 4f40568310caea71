#pragma once
// The file list: the pictures of one folder, sorted by name, patterns matched without regard
// to case (PHOTO.JPG is a picture). Each entry keeps its name as the file system's bytes beside
// the text shown, so a name that is not UTF-8 can still be opened. A folder of 100,000 names
// lists in a fraction of a second: a suffix compare per name, no stat, rows of one height.
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/file_system.h"

namespace sorvenal {

class FileList : public QListWidget {
    Q_OBJECT

public:
    explicit FileList(QWidget* parent = nullptr);

    QString Path() const { return ShownPath(path_); }
    NativePath NativeFolder() const { return path_; }
    void SetPath(const QString& path);  // re-reads the folder
    void SetNativePath(const NativePath& path);
    void SetPattern(const QString& pattern);  // "*.bmp;*.jpg;*.gif"
    QString Pattern() const { return pattern_; }
    void Reread();
    // Shows the folder with `name` as its only row when it is a picture there, nothing
    // selected: the start lists what its first paint needs, and Refresh adds the rest.
    void SetNativePathListingOnly(const NativePath& path, const NativePath& name);
    // Re-reads the folder and applies what changed: new names appear in their sorted place,
    // names gone disappear, and the selected entry stays selected (by its bytes) without a
    // Click. False when the selected entry has gone; nothing is selected then.
    bool Refresh();

    int ListIndex() const { return currentRow(); }
    // Selecting an entry raises Click, also when it is already selected; -1 selects nothing and
    // raises nothing. An index past the end is refused (returns false).
    bool SetListIndex(int index);
    int ListCount() const { return count(); }
    QString List(int index) const;
    // The selected name without folder, empty when none is selected (highlighted).
    QString FileName() const;
    NativePath NativeList(int index) const;
    NativePath NativeFileName() const;
    // The selected file's full path, empty when none.
    NativePath NativeFilePath() const;

signals:
    void Click();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    struct Entry {
        QString shown;
        NativePath name;
    };
    std::vector<Entry> ReadEntries() const;  // sorted as the rows are
    void Fill(std::vector<Entry> entries);
    void ApplyDifference(std::vector<Entry> entries);

    NativePath path_;
    std::vector<Entry> entries_;  // row by row; the texts are shared with the rows'
    QString pattern_ = QStringLiteral("*.*");
    bool settingByCode_ = false;
    bool clickPending_ = false;  // the user made a row current that is not selected yet
};

}  // namespace sorvenal
