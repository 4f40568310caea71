#pragma once
// The main window over a temporary folder of test pictures, as the window tests and the
// benchmarks set it up, and the one way they reach the window's commands and state: menu
// entries through their actions, labels and pictures through mouse events.
#include <QImage>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/main_window.h"
#include "tests/support/scripted_dialogs.h"

class QAction;

namespace sorvenal {

class StepHistory;

namespace test {

// The menu entry named `name`; a missing or duplicated one ends the run with its name.
QAction* MenuEntry(const Form1& form, const char* name);
// Runs the menu entry as a click on it does.
void Trigger(const Form1& form, const char* name);
// A left click on a control (the show's labels, the preview), as the user makes it.
void Click(QWidget* control);
// Press at `from`, drag with the left button held to `to`, release, on the working picture
// (Picture2): in the effects state this marks a circle centred at `from`.
void DragOnPicture(const Form1& form, QPoint from, QPoint to);

// The window's full-decode wait and its undo history, reached in this one place only.
void WaitFull(Form1& form);           // until the selected picture's full decode is in
void WaitPreview(const Form1& form);  // until the selected picture's preview is shown
const StepHistory& History(const Form1& form);

enum class Visibility { Shown, Hidden };

// A temporary folder, the scripted dialogs and the window over the folder.
class Form1Session {
public:
    Form1Session();
    // Over a folder made elsewhere (the benchmarks make their large pictures once).
    explicit Form1Session(const QString& existingFolder);
    Form1Session(const Form1Session&) = delete;
    Form1Session& operator=(const Form1Session&) = delete;

    // Writes a picture into the folder in the format its suffix names; returns the path.
    QString Write(const QString& name, const QImage& picture) const;
    // The window over the folder at its start screen, its quit hook doing nothing.
    Form1& Open(Form1Options options = {}, Visibility visibility = Visibility::Shown);
    // The same in the browse state (画像を開く).
    Form1& Browse(Form1Options options = {}, Visibility visibility = Visibility::Shown);
    // Selects the file list's entry as a click on it does and waits for its preview; false
    // when there is none.
    bool Select(int index) const;
    // The entry selected and put at actual size for retouch (実寸画像でレタッチ).
    Form1& Retouch(int index) const;

    QTemporaryDir dir;
    QString folder;  // the temporary folder's canonical path, or the existing folder
    ScriptedDialogService dialogs;
    std::unique_ptr<Form1> form;
};

}  // namespace test
}  // namespace sorvenal
