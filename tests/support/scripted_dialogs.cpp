#include "tests/support/scripted_dialogs.h"

namespace sorvenal {

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
