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
    std::optional<QString> AskSaveFileName(QWidget* parent,
                                           const SaveFileRequest& request) override;

    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    QStringList messages;
    QStringList questions;
    std::vector<SaveFileRequest> saveRequests;
};

}  // namespace sorvenal
