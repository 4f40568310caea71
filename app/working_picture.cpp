#include "app/working_picture.h"

#include <QTimer>
#include <algorithm>
#include <memory>
#include <utility>

#include "effects/circle_commands.h"
#include "platform/busy_indicator.h"
#include "platform/picture_box.h"

namespace sorvenal {

WorkingPicture::WorkingPicture(PictureBox* Picture1, PictureBox* Picture2, PictureBox* Picture3)
    : Picture1(Picture1),
      Picture2(Picture2),
      Picture3(Picture3),
      prepare_(std::make_unique<QTimer>()) {
    // Between the user's undos, in slices short enough not to be felt, the frames the next
    // undos will start from are made ahead.
    prepare_->setInterval(0);
    QObject::connect(prepare_.get(), &QTimer::timeout, [this] {
        if (history_.Recording() || !history_.Prepare(this->Picture1->Picture(), 0.05))
            prepare_->stop();
    });
}

WorkingPicture::~WorkingPicture() {
    // A normal end: the work was saved or the user agreed to lose it.
    if (journalWritten_) journal_->Remove();
}

void WorkingPicture::SetJournalPath(const NativePath& path) {
    journal_ = path.isEmpty() ? nullptr : std::make_unique<JournalWriter>(path);
}

void WorkingPicture::WaitForJournal() {
    if (journal_) journal_->Wait();
}

void WorkingPicture::SetSource(const NativePath& file) {
    source_ = SourceNow(file);
    if (source_) source_->path = CleanNativePath(file);
}

void WorkingPicture::UpdateJournal() {
    if (!journal_) return;
    const bool wanted = source_ && Unsaved() && !unrecorded_ && history_.CanUndo();
    if (wanted) {
        const std::span<const HistoryStep> done = history_.Done();
        journal_->Write(JournalText(Journal{*source_, {done.begin(), done.end()}}));
        journalWritten_ = true;
    } else if (journalWritten_) {
        journal_->Remove();
        journalWritten_ = false;
    }
}

void WorkingPicture::Restore(std::span<const HistoryStep> steps, const BusyFeedback& busy,
                             const QString& caption) {
    const QImage original = Picture1->Picture();
    busy.Run(caption, [&](const Progress& progress) {
        const QImage start = State();
        Picture2->SetImage(QImage());
        Picture2->SetImage(
            history_.Restore(start, {steps.begin(), steps.end()}, original, progress));
        Picture2->Refresh();
    });
    prepare_->start();
    UpdateJournal();
    if (historyChanged_) historyChanged_();
}

void WorkingPicture::SetOriginal(const QImage& picture) {
    Picture1->SetPicture(picture);
    ShowOriginal();
}

bool WorkingPicture::HasOriginal() const { return Picture1->HasPicture(); }

void WorkingPicture::ShowOriginal() { Picture2->SetPicture(Picture1->Picture()); }

void WorkingPicture::Clear() {
    Picture1->ClearPicture();
    Picture2->ClearPicture();
}

void WorkingPicture::EnterEffects() {
    circleMode_ = true;
    Picture3->SetPicture(Picture2->Image());
}

void WorkingPicture::LeaveEffects() {
    Picture2->SetPicture(Picture3->Picture());
    circleMode_ = false;
}

void WorkingPicture::BeginCircle() {
    Picture2->SetPicture(Picture3->Picture());
    Picture2->Cls();
}

void WorkingPicture::DrawCircle(const Circle& circle) {
    Picture2->DrawCircleNotXor(circle.X1, circle.Y1, circle.rl);
}

PictureBox* WorkingPicture::Saved() const { return circleMode_ ? Picture3 : Picture2; }

void WorkingPicture::Revert() {
    RecordStep(HistoryStep::OfRevert(), [this] {
        Picture2->Cls();
        Picture2->SetPicture(Picture1->Picture());
        Picture3->SetPicture(Picture1->Picture());
    });
}

void WorkingPicture::RunRetouch(RetouchCommand command, const BusyFeedback& busy,
                                const QString& caption) {
    RecordStep(HistoryStep::OfCommand(command),
               [&] { RunPasses(RetouchPasses(command), busy, caption); });
}

// Every pass after the first runs as a command in full (busy, pass, refresh) inside the one
// before it.
void WorkingPicture::RunPasses(std::span<const RetouchCommand> passes, const BusyFeedback& busy,
                               const QString& caption) {
    busy.Run(caption, [&](const Progress& progress) {
        const CanvasView view = Picture2->View();
        if (!view.empty()) RunRetouchPass(view, passes.front(), progress);
        if (passes.size() > 1) RunPasses(passes.subspan(1), busy, caption);
        Picture2->Refresh();
    });
}

void WorkingPicture::RunSkinClick(SkinState& skin, double x, double y, const BusyFeedback& busy,
                                  const QString& caption) {
    RecordStep(HistoryStep::OfSkin(skin, x, y), [&] {
        busy.Run(caption, [&](const Progress& progress) {
            const CanvasView view = Picture2->View();
            if (!view.empty()) SkinClickRetouchPixels(view, skin, x, y, progress);
            Picture2->Refresh();
        });
    });
}

void WorkingPicture::RunCircleCommand(CircleCommandContext context, CircleEffect effect) {
    context.Picture2 = Picture2;
    context.Picture3 = Picture3;
    HistoryStep step = HistoryStep::OfCircle(effect, context.circle, context.random);
    // The size only: a held picture would make the effect work on a copy.
    const QSize size = State().size();
    const Region region = CircleEffectRegion(effect, context.circle, size.width(), size.height());
    RecordStep(
        std::move(step), [&] { sorvenal::RunCircleCommand(context, effect); },
        StepHistory::Rows{region.y0, region.y1});
}

// --- undo and redo

void WorkingPicture::RecordStep(HistoryStep step, const std::function<void()>& command,
                                std::optional<StepHistory::Rows> watch) {
    const bool outer = stepDepth_++ == 0;
    const qint64 key = State().cacheKey();
    if (outer) history_.Begin(State(), watch);
    const bool recording = history_.Recording();
    command();
    --stepDepth_;
    if (!outer) return;
    const int before = history_.UndoCount();
    if (history_.End(State(), std::move(step))) {
        // A new step drops the redo steps, and with them a saved state among them.
        if (savedAt_ && *savedAt_ > before) savedAt_.reset();
    } else if (!recording && State().cacheKey() != key) {
        unrecorded_ = true;
    }
    UpdateJournal();
    if (historyChanged_) historyChanged_();
}

QImage WorkingPicture::State() const {
    return circleMode_ ? Picture3->Picture() : Picture2->Image();
}

void WorkingPicture::ShowState(const QImage& image) {
    if (circleMode_) {
        Picture3->SetPicture(image);
        Picture2->SetPicture(image);
    } else {
        Picture2->SetImage(image);
    }
    Picture2->Refresh();
}

void WorkingPicture::UndoOrRedo(bool undo, const BusyFeedback& busy, const QString& caption) {
    if (undo ? !history_.CanUndo() : !history_.CanRedo()) return;
    busy.Run(caption, [&](const Progress& progress) {
        QImage current = State();
        // The boxes let go of the pixels, so the other picture is made in them, not in a copy.
        if (circleMode_) {
            Picture2->ClearPicture();
            Picture3->ClearPicture();
        } else {
            Picture2->SetImage(QImage());
        }
        const QImage original = Picture1->Picture();
        ShowState(undo ? history_.Undo(std::move(current), original, progress)
                       : history_.Redo(std::move(current), original, progress));
    });
    prepare_->start();
    UpdateJournal();
    if (historyChanged_) historyChanged_();
}

void WorkingPicture::EndHistory() {
    history_.Clear();
    savedAt_ = 0;
    unrecorded_ = false;
    UpdateJournal();
    if (historyChanged_) historyChanged_();
}

bool WorkingPicture::Unsaved() const { return unrecorded_ || savedAt_ != history_.UndoCount(); }

void WorkingPicture::MarkSaved() {
    savedAt_ = history_.UndoCount();
    unrecorded_ = false;
    UpdateJournal();
    if (historyChanged_) historyChanged_();
}

}  // namespace sorvenal
