#pragma once
// Counts the modal views that open while it lives, closing each with Escape, so a key that must
// not open a view can be pressed without the test waiting in that view's event loop.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace sorvenal::test {

class ModalViews {
public:
    ModalViews() {
        QObject::connect(&watcher_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++opened_;
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
        watcher_.start(5);
    }
    int Opened() const { return opened_; }

private:
    QTimer watcher_;
    int opened_ = 0;
};

}  // namespace sorvenal::test
