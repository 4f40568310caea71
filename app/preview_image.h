#pragma once
// The preview: shows its picture stretched to its own rectangle and reports clicks.
#include <QImage>
#include <QWidget>

namespace sorvenal {

class PreviewImage : public QWidget {
    Q_OBJECT

public:
    explicit PreviewImage(QWidget* parent = nullptr);

    // Keeps a shared reference to the picture: no pixel copy.
    void SetPicture(const QImage& picture);
    void ClearPicture();
    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& Picture() const { return picture_; }

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QImage scaled_;  // the picture at the widget's size in device pixels, made at first paint
};

}  // namespace sorvenal
