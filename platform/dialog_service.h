#pragma once
// Message boxes, the yes/no question and the save-file dialog, behind one service that the
// main window is given.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

class QDialog;

namespace sorvenal {

struct SaveFileRequest {
    QStringList filterLabels;  // the file types offered, in order
    QString filterLabel;       // the one proposed
    QString initialDir;
    QString fileName;  // proposed name, without folder
};

struct SaveFileChoice {
    QString path;         // the full path as chosen
    QString filterLabel;  // the file type chosen
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
    // The chosen full path and file type, or nothing when cancelled. The dialog asks nothing
    // about an existing name: the name it gives is not the one written (an extension follows).
    virtual std::optional<SaveFileChoice> AskSaveFileName(QWidget* parent,
                                                          const SaveFileRequest& request) = 0;
    // The JPEG quality, kMinJpegQuality to kMaxJpegQuality, proposing `quality` and showing
    // what `estimate` says of the file's size in bytes at each; nothing when cancelled.
    virtual std::optional<int> AskJpegQuality(QWidget* parent, int quality,
                                              const std::function<qint64(int)>& estimate) = 0;
};

// The real dialogs.
// Runs a modal dialog that takes the keyboard as soon as it shows.
int ExecActive(QDialog& dialog);

class QtDialogService : public DialogService {
public:
    void Message(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text) override;
    bool AskYesNoDefaultYes(QWidget* parent, const QString& text) override;
    std::optional<SaveFileChoice> AskSaveFileName(QWidget* parent,
                                                  const SaveFileRequest& request) override;
    std::optional<int> AskJpegQuality(QWidget* parent, int quality,
                                      const std::function<qint64(int)>& estimate) override;

private:
    QString lastSaveName_;  // the full path chosen last time
};

}  // namespace sorvenal
