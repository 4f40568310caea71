#pragma once
// The dialog service the tests drive: answers come from a script and every question is kept.
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "platform/dialog_service.h"

namespace sorvenal {

// Unscripted questions answer No / cancel.
class ScriptedDialogService : public DialogService {
public:
    void Message(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text) override;
    std::optional<SaveFileChoice> AskSaveFileName(QWidget* parent,
                                                  const SaveFileRequest& request) override;
    // Unscripted, the quality box keeps the quality it proposes; each call notes the proposal
    // and the estimate at the quality answered.
    std::optional<int> AskJpegQuality(QWidget* parent, int quality,
                                      const std::function<qint64(int)>& estimate) override;

    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<QString> filterAnswers;  // unscripted: the proposed file type
    std::deque<std::optional<int>> qualityAnswers;
    std::vector<int> qualityProposals;
    std::vector<qint64> qualityEstimates;
    QStringList messages;
    QStringList questions;
    std::vector<SaveFileRequest> saveRequests;
};

}  // namespace sorvenal
