#pragma once
// The busy indicator: an animation drawn by the program itself, with real progress when known.
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>

#include "engine/pixel_pipeline.h"

namespace sorvenal {

class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    void Start();  // shown and playing
    void Stop();   // playback ended, hidden
    bool IsPlaying() const { return timer_.isActive(); }
    // Thread-safe: a pass reports rows done out of rows in all, from any of its threads.
    // Reports made on this widget's own thread also advance and repaint the animation, so it
    // keeps playing while the pixel work holds that thread.
    void SetProgress(int done, int total);
    int Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
    std::atomic<int> permille_{-1};
    QElapsedTimer sinceFrame_;
};

// The window's busy state around one piece of work: what beginning and ending it show (caption,
// pointer, indicator) and the indicator that takes the work's progress.
struct BusyFeedback {
    std::function<void()> begin;
    std::function<void(const QString& caption)> end;
    BusyIndicator* indicator = nullptr;

    // Begins, runs the work with a progress sink that reaches the indicator, ends with caption.
    void Run(const QString& caption, const std::function<void(const Progress&)>& work) const;
};

}  // namespace sorvenal
