#include "app/undo_history_steps.h"

#include <algorithm>
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
    if (frames_.size() < room) {
        frames_.push_back({state, picture});  // shared: the step's first write parts it
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
    KeepFrame(cursor_, current);
    beginKey_ = current.cacheKey();
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
    steps_.push_back(std::move(step));
    ++cursor_;
    return true;
}

QImage StepHistory::Undo(QImage current, const QImage& original, const Progress& progress) {
    if (!CanUndo()) return current;
    const std::size_t target = cursor_ - 1;
    cursor_ = target;
    std::size_t from = 0;
    QImage start = base_;
    if (const Frame* frame = NearestFrame(target)) {
        from = frame->state;
        start = frame->pixels;
    }
    // A revert on the way starts over from the original anyway.
    for (std::size_t state = target; state > from; --state) {
        if (steps_[state - 1].kind == HistoryStep::Kind::Revert) {
            from = state;
            start = original;
            break;
        }
    }
    QImage picture = std::move(current);
    CopyInto(picture, start);
    start = QImage();
    lastReplayed_ = static_cast<int>(target - from);
    // The frames of the next undos are kept on the way: the last two spaced states below.
    std::size_t at = from;
    for (std::size_t state = from + 1; state < target; ++state) {
        if (state % kSpacing != 0 || state + 2 * kSpacing < target) continue;
        ReplaySteps(picture, std::span(steps_).subspan(at, state - at), original, progress);
        KeepFrame(state, picture);
        at = state;
    }
    ReplaySteps(picture, std::span(steps_).subspan(at, target - at), original, progress);
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
    QImage picture = start;
    std::size_t at = 0;
    for (std::size_t state = kSpacing; state < cursor_; state += kSpacing) {
        if (state + 2 * kSpacing < cursor_) continue;
        ReplaySteps(picture, std::span(steps_).subspan(at, state - at), original, progress);
        KeepFrame(state, picture);
        at = state;
    }
    ReplaySteps(picture, std::span(steps_).subspan(at, cursor_ - at), original, progress);
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
