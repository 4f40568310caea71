#pragma once
// Undo and redo of the working picture. Each step keeps the other side of itself: before it
// is undone, the picture as it was before the step; once undone, the picture as the step left
// it. Undo and redo swap that with the picture on screen, so nothing is copied twice.
#include <QImage>
#include <cstdint>
#include <vector>

namespace sorvenal {

class UndoHistory {
public:
    // The kept steps hold at most two frames of the current picture, and never more than
    // `cap` bytes.
    static constexpr qsizetype kDefaultCap = qsizetype{1} << 30;
    explicit UndoHistory(qsizetype cap = kDefaultCap) : cap_(cap) {}

    void Clear();
    // A step is about to change `current`. The pixels of a step dropped to make room take a
    // copy of it (memory that is already touched, unlike a new buffer); without one it is
    // held shared, and the step's first write parts it. A picture too large for one step in
    // the budget is not recorded and ends the history.
    void Begin(const QImage& current);
    // The step has run and left `current`. An untouched picture makes no step. compact: keep
    // only the rows the step changed (for steps that change a part of the picture).
    void End(const QImage& current, bool compact);

    bool CanUndo() const { return cursor_ > 0; }
    bool CanRedo() const { return cursor_ < steps_.size(); }
    // Give the picture on screen; returns the picture to show instead. Rows are swapped in
    // place when nobody else holds `current`.
    QImage Undo(QImage current);
    QImage Redo(QImage current);

    qsizetype Bytes() const;
    qsizetype Budget(const QImage& picture) const;
    int UndoCount() const { return static_cast<int>(cursor_); }
    int RedoCount() const { return static_cast<int>(steps_.size() - cursor_); }

private:
    struct Step {
        QImage whole;                       // the other side, whole
        std::vector<int> rows;              // or only these rows of it
        std::vector<std::uint32_t> pixels;  // rows × width pixels
        qsizetype Bytes() const;
    };
    static QImage Swap(Step& step, QImage current);
    void DropOldest();
    void Drop(std::size_t index);

    qsizetype cap_;
    std::vector<Step> steps_;
    std::size_t cursor_ = 0;  // steps before it can be undone, from it on redone
    QImage before_;
    qint64 beginKey_ = 0;  // the picture's key when the step began: unchanged means untouched
    QImage spare_;         // a dropped step's pixels, reused at once for the next step
    bool recording_ = false;
};

}  // namespace sorvenal
