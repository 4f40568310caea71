#pragma once
// Message boxes, the yes/no question and the save-file dialog, behind one service that the
// main window is given.
#include <QString>
#include <optional>

class QWidget;

class QDialog;

namespace sorvenal {

struct SaveFileRequest {
    QString filterLabel;  // "BMP ﾌｧｲﾙ"
    QString initialDir;
    QString fileName;  // proposed name, without folder
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // OK only, the program's default title.
    virtual void Message(QWidget* parent, const QString& text) = 0;
    // Yes and No; true for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
    // The same with Yes as the default answer.
    virtual bool AskYesNoDefaultYes(QWidget* parent, const QString& text) {
        return AskYesNo(parent, text);
    }
    // The chosen full path, or nothing when cancelled.
    virtual std::optional<QString> AskSaveFileName(QWidget* parent,
                                                   const SaveFileRequest& request) = 0;
};

// The real dialogs.
// Runs a modal dialog that takes the keyboard as soon as it shows.
int ExecActive(QDialog& dialog);

class QtDialogService : public DialogService {
public:
    void Message(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text) override;
    bool AskYesNoDefaultYes(QWidget* parent, const QString& text) override;
    std::optional<QString> AskSaveFileName(QWidget* parent,
                                           const SaveFileRequest& request) override;

private:
    QString lastSaveName_;  // the full path chosen last time
};

}  // namespace sorvenal
