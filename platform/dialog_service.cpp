#include "platform/dialog_service.h"

#include <QFileDialog>
#include <QMessageBox>

namespace sorvenal {

namespace {
const QString kDefaultTitle = QStringLiteral("sorvenal");
}

void QtDialogService::Message(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, kDefaultTitle, text, QMessageBox::Ok);
}

bool QtDialogService::AskYesNo(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, kDefaultTitle, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> QtDialogService::AskSaveFileName(QWidget* parent,
                                                        const SaveFileRequest& request) {
    QFileDialog dialog(parent, QString(), request.initialDir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // One file type with no name pattern: every file is listed under that label.
    dialog.setNameFilter(request.filterLabel + QStringLiteral(" (*)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void ScriptedDialogService::Message(QWidget*, const QString& text) { messages << text; }

bool ScriptedDialogService::AskYesNo(QWidget*, const QString& text) {
    questions << text;
    if (yesNoAnswers.empty()) return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogService::AskSaveFileName(QWidget*,
                                                              const SaveFileRequest& request) {
    saveRequests.push_back(request);
    if (saveAnswers.empty()) return std::nullopt;
    std::optional<QString> answer;
    answer.swap(saveAnswers.front());
    saveAnswers.pop_front();
    return answer;
}

}  // namespace sorvenal
