#include "app/undo_history_steps.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "platform/canvas_image.h"

namespace sorvenal {

namespace {

bool SameShape(const QImage& a, const QImage& b) {
    return a.size() == b.size() && a.format() == b.format() && a.bytesPerLine() == b.bytesPerLine();
}

// The source's pixels into the target's own buffer where it has one of that shape: memory
// already touched, unlike a new buffer.
void CopyInto(QImage& target, const QImage& source) {
    if (!target.isNull() && target.isDetached() && SameShape(target, source) &&
        target.constBits() != source.constBits()) {
        std::memcpy(target.bits(), source.constBits(),
                    static_cast<std::size_t>(source.sizeInBytes()));
        return;
    }
    target = source;
}

bool IsTableCommand(const HistoryStep& step) {
    return step.kind == HistoryStep::Kind::Command && RetouchCommandTables(step.command);
}

qint64 NowNanos() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.nsecsElapsed();
}

bool SameSkin(const SkinState& a, const SkinState& b) {
    return a.R0 == b.R0 && a.G0 == b.G0 && a.B0 == b.B0 && a.M0 == b.M0 && a.N0 == b.N0 &&
           a.Dw == b.Dw;
}

}  // namespace

HistoryStep HistoryStep::OfCommand(RetouchCommand command) {
    HistoryStep step;
    step.command = command;
    return step;
}

HistoryStep HistoryStep::OfSkin(const SkinState& skin, double x, double y) {
    HistoryStep step;
    step.kind = Kind::Skin;
    step.skin = skin;
    step.x = x;
    step.y = y;
    return step;
}

HistoryStep HistoryStep::OfCircle(CircleEffect effect, const Circle& circle,
                                  const RandomSequence& random) {
    HistoryStep step;
    step.kind = Kind::Circle;
    step.effect = effect;
    step.circle = circle;
    step.randomPosition = random.Position();
    if (effect == CircleEffect::Red) step.random = std::make_shared<RandomSequence>(random);
    return step;
}

HistoryStep HistoryStep::OfRevert() {
    HistoryStep step;
    step.kind = Kind::Revert;
    return step;
}

bool operator==(const HistoryStep& a, const HistoryStep& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case HistoryStep::Kind::Command:
            return a.command == b.command;
        case HistoryStep::Kind::Skin:
            return SameSkin(a.skin, b.skin) && a.x == b.x && a.y == b.y;
        case HistoryStep::Kind::Circle:
            return a.effect == b.effect && a.circle.X1 == b.circle.X1 &&
                   a.circle.Y1 == b.circle.Y1 && a.circle.rl == b.circle.rl &&
                   a.randomPosition == b.randomPosition;
        case HistoryStep::Kind::Revert:
            return true;
    }
    return false;
}

void ReplaySteps(QImage& picture, std::span<const HistoryStep> steps, const QImage& original,
                 const Progress& progress) {
    std::optional<ChannelTables> pending;
    auto flush = [&] {
        if (pending) RunTablePass(ViewOf(picture), *pending, progress);
        pending.reset();
    };
    for (const HistoryStep& step : steps) {
        switch (step.kind) {
            case HistoryStep::Kind::Command:
                if (const std::optional<ChannelTables> tables =
                        RetouchCommandTables(step.command)) {
                    pending = pending ? ChainTables(*pending, *tables) : *tables;
                    break;
                }
                flush();
                RunRetouchCommand(ViewOf(picture), step.command, progress);
                break;
            case HistoryStep::Kind::Skin: {
                flush();
                SkinState skin = step.skin;
                SkinClickRetouchPixels(ViewOf(picture), skin, step.x, step.y, progress);
                break;
            }
            case HistoryStep::Kind::Circle: {
                flush();
                // Only the red effect draws; the others need no walk up to the position.
                RandomSequence random;
                if (step.random)
                    random = *step.random;
                else if (step.effect == CircleEffect::Red)
                    random = RandomSequence::At(step.randomPosition);
                RunCircleEffect(ViewOf(picture), step.effect, step.circle, random, progress);
                break;
            }
            case HistoryStep::Kind::Revert:
                pending.reset();
                CopyInto(picture, original);
                break;
        }
    }
    flush();
}

// --- the history

qsizetype StepHistory::Bytes() const {
    qsizetype total = 0;
    for (const Frame& frame : frames_) total += frame.pixels.sizeInBytes();
    return total;
}

qsizetype StepHistory::Budget(const QImage& picture) const {
    return std::min(2 * picture.sizeInBytes(), cap_);
}

void StepHistory::Clear() {
    base_ = QImage();
    steps_.clear();
    frames_.clear();
    cursor_ = 0;
    recording_ = false;
    watched_.clear();
    watchFrom_ = -1;
    room_ = 0;
}

std::size_t StepHistory::Room(const QImage& picture) const {
    if (picture.isNull()) return 0;
    return static_cast<std::size_t>(Budget(picture) /
                                    std::max<qsizetype>(1, picture.sizeInBytes()));
}

double StepHistory::Cost(std::size_t step) const {
    return pace_.countSteps ? 1.0 : steps_[step].seconds;
}

double StepHistory::Distance(std::size_t from, std::size_t to) const {
    double total = 0;
    for (std::size_t step = from; step < to; ++step) total += Cost(step);
    return total;
}

std::size_t StepHistory::ReachFrom(std::size_t floor, std::size_t state, double allowance) const {
    std::size_t from = state;
    double cost = 0;
    while (from > floor + 1 && cost + Cost(from - 1) <= allowance) cost += Cost(--from);
    return from;
}

std::size_t StepHistory::FreeStart(std::size_t state) const {
    for (std::size_t at = state; at > 0; --at)
        if (steps_[at - 1].kind == HistoryStep::Kind::Revert) return at;
    return 0;
}

void StepHistory::Advance(Frame& frame, std::size_t state, const QImage& original,
                          const Progress& progress) {
    ReplaySteps(frame.pixels, std::span(steps_).subspan(frame.state, state - frame.state), original,
                progress);
    frame.state = state;
}

bool StepHistory::Plan(const QImage& original, Frame*& builder, std::size_t& goal,
                       std::size_t& needed) {
    builder = nullptr;
    if (room_ < 2) return false;
    // From the cursor down, the first stretch a walk back would replay slowly: below where the
    // walk starts from (a kept frame, the first state, just after a revert).
    std::size_t anchor = FreeStart(cursor_);
    if (const Frame* frame = NearestFrame(cursor_)) anchor = std::max(anchor, frame->state);
    std::size_t free = 0;
    const Frame* below = nullptr;
    for (;; anchor = below ? below->state : free) {
        if (anchor == 0) return false;
        const std::size_t top = anchor - 1;
        free = FreeStart(top);
        below = NearestFrame(top);
        if (below && below->state < free) below = nullptr;
        if (Distance(below ? below->state : free, top) > pace_.replay) {
            // The further the climb, the longer the stretch each frame serves, so that climbs
            // come less often: a stretch of r costs its undos r, and the next climb C spread
            // over them adds about C * step / r; r = sqrt(C * step) keeps the sum least.
            const double climb = Distance(free, top);
            const double step = climb / static_cast<double>(std::max<std::size_t>(1, top - free));
            const double allowance =
                std::clamp(std::sqrt(climb * step), pace_.replay, 2 * pace_.replay);
            goal = ReachFrom(free, top, allowance);
            break;
        }
    }
    needed = anchor;
    if (below && below->state < goal) {
        builder = const_cast<Frame*>(below);  // climbs in place: nothing lower is cheaper
        return true;
    }
    // A slot of its own: one only redo could use, one under a revert, or a new one.
    auto spare = std::find_if(frames_.begin(), frames_.end(), [&](const Frame& frame) {
        return frame.state > cursor_ || frame.state < free;
    });
    if (spare == frames_.end()) {
        if (frames_.size() >= room_) return false;
        frames_.push_back({free, QImage()});
        spare = frames_.end() - 1;
    }
    spare->state = free;
    CopyInto(spare->pixels, free == 0 ? base_ : original);
    builder = &*spare;
    return true;
}

bool StepHistory::Build(const QImage& original, double seconds, const Progress& progress,
                        bool spread) {
    Frame* builder = nullptr;
    std::size_t goal = 0, needed = 0;
    if (!Plan(original, builder, goal, needed)) return false;
    // Within an undo: what remains, spread over the undos left before it is needed, less one
    // for the slack of whole steps.
    if (spread)
        seconds = std::min(
            seconds, Distance(builder->state, goal) / static_cast<double>(std::max<std::size_t>(
                                                          1, cursor_ - std::min(cursor_, needed))));
    std::size_t to = builder->state + 1;
    for (double cost = Cost(builder->state); to < goal && cost + Cost(to) <= seconds; ++to)
        cost += Cost(to);
    lastReplayed_ += static_cast<int>(to - builder->state);
    Advance(*builder, to, original, progress);
    return true;
}

bool StepHistory::Prepare(const QImage& original, double seconds) {
    lastReplayed_ = 0;
    if (original.isNull() || base_.isNull()) return false;
    return Build(original, seconds, {}, false);
}

const StepHistory::Frame* StepHistory::NearestFrame(std::size_t state) const {
    const Frame* best = nullptr;
    for (const Frame& frame : frames_)
        if (frame.state <= state && (!best || frame.state > best->state)) best = &frame;
    return best;
}

void StepHistory::DropFramesAbove(std::size_t state) {
    std::erase_if(frames_, [state](const Frame& frame) { return frame.state > state; });
}

void StepHistory::KeepFrame(std::size_t state, const QImage& picture) {
    if (state == 0 || state % kSpacing != 0 || picture.isNull()) return;
    if (std::any_of(frames_.begin(), frames_.end(),
                    [state](const Frame& frame) { return frame.state == state; }))
        return;
    const qsizetype frameBytes = picture.sizeInBytes();
    const auto room =
        static_cast<std::size_t>(Budget(picture) / std::max<qsizetype>(1, frameBytes));
    if (room == 0) return;
    // Copied now rather than shared: the step's first write would part them at its own cost,
    // which is then taken for what the step costs to run again.
    if (frames_.size() < room) {
        frames_.push_back({state, picture.copy()});
        return;
    }
    // Room: a frame past the cursor goes first (only redo could use it), then the oldest.
    auto victim = std::find_if(frames_.begin(), frames_.end(),
                               [this](const Frame& frame) { return frame.state > cursor_; });
    if (victim == frames_.end())
        victim = std::min_element(frames_.begin(), frames_.end(),
                                  [](const Frame& a, const Frame& b) { return a.state < b.state; });
    victim->state = state;
    CopyInto(victim->pixels, picture);
}

void StepHistory::KeepFrameAt(std::size_t state, const QImage& picture) {
    if (picture.isNull()) return;
    if (frames_.size() < room_) {
        frames_.push_back({state, picture.copy()});
        return;
    }
    // Only in the place of a frame that redo alone could use: the frames below the cursor
    // serve the walk further down.
    auto spare = std::find_if(frames_.begin(), frames_.end(),
                              [this](const Frame& frame) { return frame.state > cursor_; });
    if (spare == frames_.end()) return;
    spare->state = state;
    CopyInto(spare->pixels, picture);
}

void StepHistory::Begin(const QImage& current, std::optional<Rows> watch) {
    recording_ = false;
    watched_.clear();
    watchFrom_ = -1;
    if (current.isNull()) return;
    if (current.sizeInBytes() > Budget(current)) {
        Clear();
        return;
    }
    if (steps_.empty()) base_ = current;
    room_ = Room(current);
    KeepFrame(cursor_, current);
    beginKey_ = current.cacheKey();
    beginNanos_ = NowNanos();
    if (watch) {
        watchFrom_ = std::max(0, watch->first);
        const int last = std::min(watch->last, current.height() - 1);
        const auto rowBytes = static_cast<std::size_t>(current.width()) * 4;
        if (last >= watchFrom_)
            watched_.resize(static_cast<std::size_t>(last - watchFrom_ + 1) * current.width());
        for (int y = watchFrom_; y <= last; ++y)
            std::memcpy(
                watched_.data() + static_cast<std::size_t>(y - watchFrom_) * current.width(),
                current.constScanLine(y), rowBytes);
    }
    recording_ = true;
}

bool StepHistory::End(const QImage& current, HistoryStep step) {
    if (!recording_) return false;
    recording_ = false;
    std::vector<std::uint32_t> watched = std::move(watched_);
    watched_.clear();
    // The picture was not written or replaced: a refused command.
    if (current.cacheKey() == beginKey_) return false;
    if (watchFrom_ >= 0 && current.width() > 0) {
        const auto width = static_cast<std::size_t>(current.width());
        const int rows = static_cast<int>(watched.size() / width);
        bool changed = rows > 0 && watchFrom_ + rows > current.height();
        for (int i = 0; i < rows && !changed; ++i)
            changed = std::memcmp(watched.data() + static_cast<std::size_t>(i) * width,
                                  current.constScanLine(watchFrom_ + i), width * 4) != 0;
        if (!changed) return false;
    }
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(cursor_), steps_.end());
    DropFramesAbove(cursor_);
    // What the step took is what running it again will take, near enough.
    step.seconds = std::min(10.0, static_cast<double>(NowNanos() - beginNanos_) / 1e9);
    steps_.push_back(std::move(step));
    ++cursor_;
    return true;
}

QImage StepHistory::Undo(QImage current, const QImage& original, const Progress& progress) {
    if (!CanUndo()) return current;
    const std::size_t target = cursor_ - 1;
    cursor_ = target;
    // The nearest start below: a kept frame, the first state, or just after a revert.
    std::size_t from = FreeStart(target);
    QImage start = from == 0 ? base_ : original;
    const Frame* frame = NearestFrame(target);
    if (frame && frame->state > from) {
        from = frame->state;
        start = frame->pixels;
    }
    QImage picture = std::move(current);
    CopyInto(picture, start);
    start = QImage();
    lastReplayed_ = static_cast<int>(target - from);
    std::size_t at = from;
    // Far from the start, a frame is kept on the way so that the undos after this one replay
    // no more than the pace allows.
    if (room_ > 0 && target > from + 1 && Distance(from, target - 1) > pace_.replay) {
        const std::size_t keep = ReachFrom(from, target - 1, pace_.replay);
        ReplaySteps(picture, std::span(steps_).subspan(at, keep - at), original, progress);
        KeepFrameAt(keep, picture);
        at = keep;
    }
    ReplaySteps(picture, std::span(steps_).subspan(at, target - at), original, progress);
    Build(original, std::max(0.0, pace_.undo - Distance(from, target)), progress, true);
    return picture;
}

QImage StepHistory::Restore(const QImage& start, std::vector<HistoryStep> steps,
                            const QImage& original, const Progress& progress) {
    Clear();
    base_ = start;
    steps_ = std::move(steps);
    cursor_ = steps_.size();
    for (HistoryStep& step : steps_) {
        // The red effect's sequence is walked up to once, not at every undo.
        if (step.kind == HistoryStep::Kind::Circle && step.effect == CircleEffect::Red &&
            !step.random)
            step.random = std::make_shared<RandomSequence>(RandomSequence::At(step.randomPosition));
    }
    room_ = Room(start);
    // Run in groups (a run of table commands is one pass), each timed and its time shared
    // among its steps, which is what their undos will cost. Frames are kept as recording
    // would have kept them.
    QImage picture = start.copy();
    for (std::size_t at = 0; at < cursor_;) {
        std::size_t end = at + 1;
        auto keepsFrame = [&](std::size_t state) {
            return state % kSpacing == 0 && state + 2 * kSpacing >= cursor_;
        };
        while (end < cursor_ && !keepsFrame(end) && IsTableCommand(steps_[at]) &&
               IsTableCommand(steps_[end]))
            ++end;
        const qint64 started = NowNanos();
        ReplaySteps(picture, std::span(steps_).subspan(at, end - at), original, progress);
        const double seconds = static_cast<double>(NowNanos() - started) / 1e9;
        for (std::size_t step = at; step < end; ++step)
            steps_[step].seconds = seconds / static_cast<double>(end - at);
        if (keepsFrame(end) && end < cursor_) KeepFrame(end, picture);
        at = end;
    }
    return picture;
}

QImage StepHistory::Redo(QImage current, const QImage& original, const Progress& progress) {
    if (!CanRedo()) return current;
    QImage picture = std::move(current);
    KeepFrame(cursor_, picture);
    ReplaySteps(picture, std::span(steps_).subspan(cursor_, 1), original, progress);
    ++cursor_;
    lastReplayed_ = 1;
    return picture;
}

}  // namespace sorvenal
