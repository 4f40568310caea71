#pragma once
// The main window's client area: a back colour and a layer that keeps whatever is drawn on it
// across repaints until it is cleared (pixels).
#include <QColor>
#include <QImage>
#include <QWidget>

namespace sorvenal {

class FormSurface : public QWidget {
    Q_OBJECT

public:
    explicit FormSurface(QWidget* parent = nullptr);

    void SetBackColor(const QColor& color);
    QColor BackColor() const { return backColor_; }
    void SetPenWidth(int width) { penWidth_ = width; }
    // Rectangle from (x1, y1) to (x2, y2) in pixels: an outline in the pen width, or filled.
    void DrawBox(int x1, int y1, int x2, int y2, const QColor& color, bool filled);
    void Cls();  // clears everything drawn
    const QImage& Layer() const { return layer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void EnsureLayer(const QSize& size);

    QColor backColor_;
    QImage layer_;
    int penWidth_ = 1;
};

}  // namespace sorvenal
