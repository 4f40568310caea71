#pragma once
// The history as the list of steps with their parameters, plus a few whole frames to start
// from. Every step is a pure function of the picture before it, so any earlier picture is the
// nearest kept frame with the steps after it run again; the red effect's step carries the
// random sequence as it stood, so its draws come out the same.
#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "effects/circle_effects.h"
#include "engine/auto_retouch.h"
#include "engine/pixel_pipeline.h"
#include "engine/retouch_commands.h"

namespace sorvenal {

struct HistoryStep {
    enum class Kind : std::uint8_t { Command, Skin, Circle, Revert };
    Kind kind = Kind::Command;
    RetouchCommand command = RetouchCommand::Gamma;  // Command
    SkinState skin;                                  // Skin: the sample state before the click
    double x = 0, y = 0;                             // Skin: the press, picture pixels
    CircleEffect effect = CircleEffect::Light;       // Circle
    Circle circle;                                   // Circle
    std::uint64_t randomPosition = 0;                // Circle: draws taken before the step
    // Circle, red only: the sequence at randomPosition, so a replay need not walk up to it.
    std::shared_ptr<const RandomSequence> random;
    // What running the step again costs, in seconds, as last measured; not part of the step.
    double seconds = 0;

    static HistoryStep OfCommand(RetouchCommand command);
    static HistoryStep OfSkin(const SkinState& skin, double x, double y);
    // `random` as it stands before the effect runs.
    static HistoryStep OfCircle(CircleEffect effect, const Circle& circle,
                                const RandomSequence& random);
    static HistoryStep OfRevert();
};

bool operator==(const HistoryStep& a, const HistoryStep& b);

// Runs the steps in order on `picture`, in place; a revert gives back `original`.
// Consecutive table commands are chained into one pass.
void ReplaySteps(QImage& picture, std::span<const HistoryStep> steps, const QImage& original,
                 const Progress& progress = {});

// How far an undo may replay, and how much work it may add to prepare the undos after it.
struct HistoryPace {
    double replay = 0.25;  // from the frame an undo starts at, where the walk below is short
    double undo = 0.9;     // one undo at most, its share of preparing the frame below included
    // Every step costs one (tests); else the seconds each step took.
    bool countSteps = false;
};

class StepHistory {
public:
    // Kept frames hold at most two frames of the current picture and never more than `cap`
    // bytes; the picture before the first step is shared with the original, not copied.
    static constexpr qsizetype kDefaultCap = qsizetype{1} << 30;
    // Frames are kept at states that are multiples of this, the last two below the cursor, so
    // undoing one of the last ten steps runs at most four steps again.
    static constexpr std::size_t kSpacing = 5;
    explicit StepHistory(qsizetype cap = kDefaultCap, HistoryPace pace = {})
        : cap_(cap), pace_(pace) {}

    void Clear();
    // Rows first..last, inclusive; may reach past the picture.
    struct Rows {
        int first, last;
    };
    // A step is about to change `current`. When the step can change only `watch`, those rows
    // are kept, so that a step that changed none of them makes no step. A picture larger than
    // the cap is not recorded and ends the history.
    void Begin(const QImage& current, std::optional<Rows> watch = std::nullopt);
    // The step has run and left `current`; false when it made no step (untouched picture).
    bool End(const QImage& current, HistoryStep step);
    bool Recording() const { return recording_; }

    bool CanUndo() const { return cursor_ > 0; }
    bool CanRedo() const { return cursor_ < steps_.size(); }
    int UndoCount() const { return static_cast<int>(cursor_); }
    int RedoCount() const { return static_cast<int>(steps_.size() - cursor_); }
    // Give the picture on screen; returns the picture to show instead, in the same buffer
    // where nobody else holds it. `original` is what a revert step gives back.
    QImage Undo(QImage current, const QImage& original, const Progress& progress = {});
    QImage Redo(QImage current, const QImage& original, const Progress& progress = {});
    // Work for the undos to come, done while the user is idle: advances a kept frame towards
    // where a walk back will need it, by about `seconds`. False when nothing is left to do.
    bool Prepare(const QImage& original, double seconds);

    // A history with every step of `steps` done on `start`; returns the picture they make.
    // Tables are chained across steps, and frames are kept where the next undos need them.
    QImage Restore(const QImage& start, std::vector<HistoryStep> steps, const QImage& original,
                   const Progress& progress = {});

    // The steps that made the picture on screen, oldest first.
    std::span<const HistoryStep> Done() const { return {steps_.data(), cursor_}; }
    // Bytes of the kept frames beyond the picture the history started from.
    qsizetype Bytes() const;
    qsizetype Budget(const QImage& picture) const;
    // Steps run again by the last undo, redo or preparation, for the undos to come as well (for
    // the benchmarks and tests).
    int LastReplayed() const { return lastReplayed_; }

private:
    struct Frame {
        std::size_t state;  // steps done before it
        QImage pixels;
    };
    // Keeps `picture` as the frame of `state` when the spacing asks for one there.
    void KeepFrame(std::size_t state, const QImage& picture);
    // Keeps `picture` as the frame of `state` where there is room for it.
    void KeepFrameAt(std::size_t state, const QImage& picture);
    const Frame* NearestFrame(std::size_t state) const;
    void DropFramesAbove(std::size_t state);
    std::size_t Room(const QImage& picture) const;
    double Cost(std::size_t step) const;
    // Cost of running steps from..to-1.
    double Distance(std::size_t from, std::size_t to) const;
    // The lowest state above `floor` from which reaching `state` costs at most `allowance`.
    std::size_t ReachFrom(std::size_t floor, std::size_t state, double allowance) const;
    // Where replaying to `state` can start without a kept frame: the first state or just after
    // a revert.
    std::size_t FreeStart(std::size_t state) const;
    // Moves frame `index` (detached first) up to `state` by replaying the steps on the way.
    void Advance(Frame& frame, std::size_t state, const QImage& original, const Progress& progress);
    // The frame a walk back will need next, and the frame that climbs towards it: false when
    // nothing is needed. Takes a slot for it where there is none yet.
    // `needed`: the walk back needs it once the cursor is below that state.
    bool Plan(const QImage& original, Frame*& builder, std::size_t& goal, std::size_t& needed);
    // Runs up to `seconds` of that work (at least one step); `spread`: no more than its share
    // of one undo.
    bool Build(const QImage& original, double seconds, const Progress& progress, bool spread);

    qsizetype cap_;
    HistoryPace pace_;
    QImage base_;  // the picture before the first step
    std::vector<HistoryStep> steps_;
    std::vector<Frame> frames_;
    std::size_t cursor_ = 0;  // steps before it are done, from it on can be redone
    qint64 beginKey_ = 0;     // the picture's key when the step began: unchanged is untouched
    qint64 beginNanos_ = 0;
    std::size_t room_ = 0;  // frames the budget holds for the picture being worked on
    int watchFrom_ = -1;
    std::vector<std::uint32_t> watched_;  // the watched rows as they were
    bool recording_ = false;
    int lastReplayed_ = 0;
};

}  // namespace sorvenal
