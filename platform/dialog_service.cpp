#include "platform/dialog_service.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

namespace sorvenal {

namespace {
const QString kDefaultTitle = QStringLiteral("sorvenal");
}

// A window manager may leave the keyboard with the main window when a box opens right after a
// menu closed; the box asks for it, so the keys the user types next answer it.
int ExecActive(QDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.raise();
        dialog.activateWindow();
    });
    return dialog.exec();
}

void QtDialogService::Message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, kDefaultTitle, text, QMessageBox::Ok, parent);
    ExecActive(box);
}

namespace {

bool Ask(QWidget* parent, const QString& text, QMessageBox::StandardButton byDefault) {
    QMessageBox box(QMessageBox::Question, kDefaultTitle, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(byDefault);
    return ExecActive(box) == QMessageBox::Yes;
}

}  // namespace

bool QtDialogService::AskYesNo(QWidget* parent, const QString& text) {
    return Ask(parent, text, QMessageBox::No);
}

bool QtDialogService::AskYesNoDefaultYes(QWidget* parent, const QString& text) {
    return Ask(parent, text, QMessageBox::Yes);
}

std::optional<QString> QtDialogService::AskSaveFileName(QWidget* parent,
                                                        const SaveFileRequest& request) {
    QFileDialog dialog(parent, QString(), request.initialDir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // One file type with no name pattern: every file is listed under that label.
    dialog.setNameFilter(request.filterLabel + QStringLiteral(" (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // With no name of its own to propose, the dialog proposes the one chosen last time.
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    else if (!lastSaveName_.isEmpty())
        dialog.selectFile(lastSaveName_);
    if (ExecActive(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    lastSaveName_ = dialog.selectedFiles().constFirst();
    return lastSaveName_;
}

}  // namespace sorvenal
