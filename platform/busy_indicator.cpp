#include "platform/busy_indicator.h"

#include <QPainter>
#include <QThread>
#include <cmath>

namespace sorvenal {

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++frame_;
        update();
    });
    hide();
}

void BusyIndicator::Start() {
    frame_ = 0;
    permille_ = -1;
    show();
    raise();
    timer_.start();
    sinceFrame_.start();
    repaint();
}

void BusyIndicator::Stop() {
    timer_.stop();
    hide();
}

void BusyIndicator::SetProgress(int done, int total) {
    permille_ = total > 0 ? static_cast<int>(1000LL * done / total) : -1;
    // The timer cannot fire while a command holds the thread: step the frames from here.
    if (QThread::currentThread() != thread() || !IsPlaying() || !sinceFrame_.isValid() ||
        sinceFrame_.elapsed() < timer_.interval())
        return;
    sinceFrame_.restart();
    ++frame_;
    repaint();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(40, 40, 48));
    // A ring of twelve segments whose bright head goes round: a sweeping "defragmenting" look.
    const QPointF centre(height() / 2.0, height() / 2.0);
    const double outer = height() * 0.42;
    const double inner = outer * 0.55;
    for (int i = 0; i < 12; ++i) {
        const double angle = (i * 30.0) * M_PI / 180.0;
        const int age = (frame_ - i + 120) % 12;
        p.setPen(QPen(QColor::fromHsv(200, 180, 255 - age * 18), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre + QPointF(std::cos(angle) * inner, std::sin(angle) * inner),
                   centre + QPointF(std::cos(angle) * outer, std::sin(angle) * outer));
    }
    const int left = height() + 4;
    const QRect bar(left, height() / 2 - 5, width() - left - 6, 10);
    if (bar.width() <= 0) return;
    p.setPen(QColor(120, 120, 140));
    p.setBrush(QColor(20, 20, 28));
    p.drawRect(bar);
    const int permille = permille_;
    if (permille >= 0) {
        p.fillRect(QRect(bar.left() + 1, bar.top() + 1, (bar.width() - 2) * permille / 1000,
                         bar.height() - 2),
                   QColor(80, 200, 255));
    } else {
        // Unknown progress: a block that walks along the bar.
        const int block = bar.width() / 5;
        const int x = (frame_ * 6) % (bar.width() + block) - block;
        p.fillRect(QRect(bar.left() + std::max(0, x), bar.top() + 1, block, bar.height() - 2)
                       .intersected(bar.adjusted(1, 1, -1, -1)),
                   QColor(80, 200, 255));
    }
}

void BusyFeedback::Run(const QString& caption,
                       const std::function<void(const Progress&)>& work) const {
    if (begin) begin();
    Progress progress;
    if (BusyIndicator* busy = indicator)
        progress = [busy](int done, int total) { busy->SetProgress(done, total); };
    work(progress);
    if (end) end(caption);
}

}  // namespace sorvenal
