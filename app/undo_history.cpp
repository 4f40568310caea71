#include "app/undo_history.h"

#include <algorithm>
#include <cstring>

namespace sorvenal {

qsizetype UndoHistory::Step::Bytes() const {
    return whole.sizeInBytes() + static_cast<qsizetype>(pixels.size() * sizeof(std::uint32_t));
}

qsizetype UndoHistory::Bytes() const {
    qsizetype total = 0;
    for (const Step& step : steps_) total += step.Bytes();
    return total;
}

qsizetype UndoHistory::Budget(const QImage& picture) const {
    return std::min(2 * picture.sizeInBytes(), cap_);
}

void UndoHistory::Clear() {
    steps_.clear();
    cursor_ = 0;
    before_ = QImage();
    recording_ = false;
}

void UndoHistory::Drop(std::size_t index) {
    QImage& pixels = steps_[index].whole;
    if (!pixels.isNull() && pixels.isDetached()) spare_ = std::move(pixels);
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(index));
}

void UndoHistory::DropOldest() {
    Drop(0);
    if (cursor_ > 0) --cursor_;
}

void UndoHistory::Begin(const QImage& current) {
    recording_ = false;
    before_ = QImage();
    if (current.isNull()) return;
    const qsizetype budget = Budget(current);
    const qsizetype frame = current.sizeInBytes();
    if (frame > budget) {
        Clear();
        return;
    }
    // Room for the whole picture the step may keep: redo steps go first (a new step drops
    // them anyway), then the oldest.
    while (Bytes() + frame > budget && !steps_.empty()) {
        if (CanRedo())
            Drop(steps_.size() - 1);
        else
            DropOldest();
    }
    beginKey_ = current.cacheKey();
    if (spare_.size() == current.size() && spare_.format() == current.format() &&
        spare_.bytesPerLine() == current.bytesPerLine()) {
        std::memcpy(spare_.bits(), current.constBits(), static_cast<std::size_t>(frame));
        before_ = std::move(spare_);
    } else {
        before_ = current;
    }
    spare_ = QImage();
    recording_ = true;
}

void UndoHistory::End(const QImage& current, bool compact) {
    if (!recording_) return;
    recording_ = false;
    QImage before = std::move(before_);
    before_ = QImage();
    // The picture was not written or replaced: a refused command.
    if (current.cacheKey() == beginKey_) return;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(cursor_), steps_.end());

    Step step;
    const bool sameShape = before.size() == current.size() && before.format() == current.format();
    if (compact && sameShape) {
        const int height = before.height();
        const std::size_t rowBytes = static_cast<std::size_t>(before.width()) * 4;
        std::vector<int> changed;
        for (int y = 0; y < height; ++y)
            if (std::memcmp(before.constScanLine(y), current.constScanLine(y), rowBytes) != 0)
                changed.push_back(y);
        if (changed.empty()) return;
        if (changed.size() * 4 <= static_cast<std::size_t>(height) * 3) {
            step.rows = std::move(changed);
            step.pixels.resize(step.rows.size() * static_cast<std::size_t>(before.width()));
            std::uint32_t* out = step.pixels.data();
            for (int y : step.rows) {
                std::memcpy(out, before.constScanLine(y), rowBytes);
                out += before.width();
            }
        }
    }
    if (step.rows.empty()) step.whole = std::move(before);
    steps_.push_back(std::move(step));
    cursor_ = steps_.size();
    const qsizetype budget = Budget(current);
    while (Bytes() > budget && steps_.size() > 1) DropOldest();
}

QImage UndoHistory::Swap(Step& step, QImage current) {
    if (step.rows.empty()) {
        QImage other = std::move(step.whole);
        step.whole = std::move(current);
        return other;
    }
    QImage image = std::move(current);
    const int width = image.width();
    std::uint32_t* kept = step.pixels.data();
    for (int y : step.rows) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));  // detaches once
        std::swap_ranges(row, row + width, kept);
        kept += width;
    }
    return image;
}

QImage UndoHistory::Undo(QImage current) {
    if (!CanUndo()) return current;
    --cursor_;
    return Swap(steps_[cursor_], std::move(current));
}

QImage UndoHistory::Redo(QImage current) {
    if (!CanRedo()) return current;
    QImage shown = Swap(steps_[cursor_], std::move(current));
    ++cursor_;
    return shown;
}

}  // namespace sorvenal
