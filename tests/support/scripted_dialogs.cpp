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

std::optional<SaveFileChoice> ScriptedDialogService::AskSaveFileName(
    QWidget*, const SaveFileRequest& request) {
    saveRequests.push_back(request);
    if (saveAnswers.empty()) return std::nullopt;
    std::optional<QString> answer;
    answer.swap(saveAnswers.front());
    saveAnswers.pop_front();
    QString filter = request.filterLabel;
    if (!filterAnswers.empty()) {
        filter = filterAnswers.front();
        filterAnswers.pop_front();
    }
    if (!answer) return std::nullopt;
    return SaveFileChoice{*answer, filter};
}

std::optional<int> ScriptedDialogService::AskJpegQuality(
    QWidget*, int quality, const std::function<qint64(int)>& estimate) {
    qualityProposals.push_back(quality);
    std::optional<int> answer = quality;
    if (!qualityAnswers.empty()) {
        answer = qualityAnswers.front();
        qualityAnswers.pop_front();
    }
    if (answer && estimate) qualityEstimates.push_back(estimate(*answer));
    return answer;
}

}  // namespace sorvenal
