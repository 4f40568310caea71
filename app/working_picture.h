#pragma once
// The picture being retouched: its original, the canvas that shows the work, the snapshot of
// the effects state (the picture without the circle outline), and the history of the steps.
// The window owns the picture boxes as widgets; this object decides what is in them.
#include <QImage>
#include <functional>
#include <memory>
#include <optional>

#include "app/undo_history_steps.h"
#include "app/undo_journal.h"
#include "effects/circle_effects.h"
#include "engine/auto_retouch.h"
#include "engine/retouch_commands.h"

class QString;
class QTimer;

namespace sorvenal {

struct BusyFeedback;
struct CircleCommandContext;
class PictureBox;

class WorkingPicture {
public:
    // Picture1 holds the original, Picture2 is the canvas on screen, Picture3 the snapshot.
    WorkingPicture(PictureBox* Picture1, PictureBox* Picture2, PictureBox* Picture3);

    // The selected picture becomes the original, and the canvas shows it.
    void SetOriginal(const QImage& picture);
    bool HasOriginal() const;
    // The canvas shows the original again (no step: the work was left or never begun).
    void ShowOriginal();
    void Clear();

    // The effects state: steps work on the snapshot, which never holds the circle outline.
    bool CircleMode() const { return circleMode_; }
    void EnterEffects();
    // The outline stays behind on the canvas' image only; the picture is the snapshot.
    void LeaveEffects();
    void ForgetEffects() { circleMode_ = false; }
    // Starts marking a circle: the canvas shows the snapshot without any outline.
    void BeginCircle();
    void DrawCircle(const Circle& circle);
    // What a save writes: the picture as the steps left it, without the outline.
    PictureBox* Saved() const;

    // Each runs as one undoable step.
    void Revert();
    void RunRetouch(RetouchCommand command, const BusyFeedback& busy, const QString& caption);
    void RunSkinClick(SkinState& skin, double x, double y, const BusyFeedback& busy,
                      const QString& caption);
    // The context's boxes are this picture's.
    void RunCircleCommand(CircleCommandContext context, CircleEffect effect);

    const StepHistory& History() const { return history_; }
    void Undo(const BusyFeedback& busy, const QString& caption) { UndoOrRedo(true, busy, caption); }
    void Redo(const BusyFeedback& busy, const QString& caption) {
        UndoOrRedo(false, busy, caption);
    }
    // The history ends and the picture on screen counts as saved: a new picture, or the work
    // thrown away.
    void EndHistory();
    // Work that no file holds: a step since the picture was loaded or last saved.
    bool Unsaved() const;
    // The picture on screen was written to a file.
    void MarkSaved();

    // The file the original was read from; the journal names it. Its size and time are taken
    // now, so a later change of the file is seen at recovery.
    void SetSource(const NativePath& file);
    // Where the journal of unsaved steps is written; empty: none is written.
    void SetJournalPath(const NativePath& path);
    // Until the journal on disk is as the last step left it.
    void WaitForJournal();
    // Runs the steps of a journal on the original, as steps of the history.
    void Restore(std::span<const HistoryStep> steps, const BusyFeedback& busy,
                 const QString& caption);
    ~WorkingPicture();
    // Called after each change of the history.
    void SetHistoryChanged(std::function<void()> changed) { historyChanged_ = std::move(changed); }

private:
    // Runs a command that changes the working picture as one undoable step; a command run
    // inside another is part of it. watch: the only rows the command may change.
    void RecordStep(HistoryStep step, const std::function<void()>& command,
                    std::optional<StepHistory::Rows> watch = std::nullopt);
    // The working picture as a step sees it: in the effects state the snapshot.
    QImage State() const;
    void ShowState(const QImage& image);
    void UndoOrRedo(bool undo, const BusyFeedback& busy, const QString& caption);
    // Writes the journal while there is unsaved work that it can hold, else removes it.
    void UpdateJournal();
    void RunPasses(std::span<const RetouchCommand> passes, const BusyFeedback& busy,
                   const QString& caption);

    PictureBox* Picture1;
    PictureBox* Picture2;
    PictureBox* Picture3;
    bool circleMode_ = false;
    StepHistory history_;
    int stepDepth_ = 0;
    // The history's state that a file holds; none when that state was dropped.
    std::optional<int> savedAt_ = 0;
    bool unrecorded_ = false;  // a change the history could not hold
    std::optional<JournalSource> source_;
    std::unique_ptr<JournalWriter> journal_;
    bool journalWritten_ = false;
    std::function<void()> historyChanged_;
    std::unique_ptr<QTimer> prepare_;
};

}  // namespace sorvenal
