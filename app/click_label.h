#pragma once
// A label used as a button.
#include <QLabel>
#include <QMouseEvent>

namespace sorvenal {

class ClickLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit Clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

}  // namespace sorvenal
