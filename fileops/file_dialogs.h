#pragma once
// The three small dialogs of the file menu. They only lay out their controls and prepare the
// text boxes; what their OK buttons do is wired by file_commands, which knows the main window's
// lists. Geometry is in twips, as the dialogs were designed.
#include <QDialog>

#include "platform/file_system.h"

class QLabel;
class QLineEdit;
class QMouseEvent;
class QPushButton;

namespace sorvenal {

class FolderList;

// File rename.
class Form7 : public QDialog {
    Q_OBJECT

public:
    // fileName: the selected file's name; the box shows it without its last four characters.
    explicit Form7(const QString& fileName, QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command1;  // Cancel
    QPushButton* Command2;  // OK
};

// Folder rename.
class Form5 : public QDialog {
    Q_OBJECT

public:
    // The box shows the current folder's own name, cut from its path by the parent's length.
    Form5(const QString& folderPath, const QString& parentPath, QWidget* parent = nullptr);

    QLabel* Label2;
    QLineEdit* Text1;
    QPushButton* Command10;  // Cancel
    QPushButton* Command12;  // OK
};

// Destination folder (move, copy) and new folder. The opening command shows exactly one of the
// three OK buttons, and for a new folder also Label16 and Text2.
class Form6 : public QDialog {
    Q_OBJECT

public:
    explicit Form6(const NativePath& startFolder, QWidget* parent = nullptr);

    QLabel* Label15;
    FolderList* Dir2;
    QLabel* Label16;
    QLineEdit* Text2;
    QPushButton* Command12;  // Cancel
    QPushButton* Command13;  // OK (copy)
    QPushButton* Command14;  // OK (move)
    QPushButton* Command15;  // OK (new folder)

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    float loadTime_ = 0;  // seconds since midnight when the dialog was loaded
};

// Seconds since midnight, single precision, as the dialogs keep it.
float SecondsSinceMidnight();

}  // namespace sorvenal
