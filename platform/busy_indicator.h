#pragma once
// The busy indicator: an animation drawn by the program itself, with real progress when known.
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>

namespace sorvenal {

class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    void Start();  // shown and playing
    void Stop();   // playback ended, hidden
    bool IsPlaying() const { return timer_.isActive(); }
    // Thread-safe: a pass on a worker thread reports rows done out of rows in all.
    void SetProgress(int done, int total);
    int Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer timer_;
    int frame_ = 0;
    std::atomic<int> permille_{-1};
};

// Runs work on a worker thread while this thread waits in a local event loop that excludes
// user input, so the window repaints and the busy animation plays; input made meanwhile is
// delivered after the work. Returns when the work has finished.
void RunBusyWork(const std::function<void()>& work);

}  // namespace sorvenal
