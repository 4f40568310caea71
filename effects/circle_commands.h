#pragma once
// The five special-effect commands: one procedure over the circle, run on the canvas through
// the circle snapshot, so that effects accumulate and the outline never becomes part of them.
#include <QString>
#include <functional>

#include "effects/circle_effects.h"

class QWidget;

namespace sorvenal {

struct BusyFeedback;
class DialogService;
class PictureBox;

// What a circle command works on; the main window fills it.
struct CircleCommandContext {
    PictureBox* Picture2;  // the canvas, shown, carries the outline
    PictureBox* Picture3;  // the snapshot without outline (hidden)
    const Circle& circle;
    RandomSequence& random;
    DialogService& dialogs;
    QWidget* parent;           // owner of the message box
    const BusyFeedback& busy;  // the busy state around the pass, which takes its progress
    // Circle commands always leave the default pointer, even in skin-click mode.
    std::function<void()> DefaultPointer;
};

inline const QString kCircleDoneCaption = QStringLiteral("------終了-------");

// Runs one command; returns false when no circle is marked (the message was shown).
bool RunCircleCommand(const CircleCommandContext& context, CircleEffect effect);

}  // namespace sorvenal
