#pragma once
// The picture box: a picture (what was assigned) and a persistent image (the picture plus
// everything drawn or written since), shown from the top-left corner at actual size (one
// picture pixel per device pixel, whatever the scale factor) or at a zoom.
#include <QColor>
#include <QImage>
#include <QWidget>
#include <optional>
#include <vector>

#include "engine/canvas_view.h"
#include "engine/color_value.h"
#include "platform/zoom_view.h"

class QPainter;

namespace sorvenal {

// Mouse button values as the picture's handlers receive them.
enum MouseButtonValue { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Assigning a picture sets both layers and sizes the box to it (LogicalSize of its pixels).
    void SetPicture(const QImage& picture);
    void ClearPicture();  // no picture, empty image; the box keeps its size
    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& Picture() const { return picture_; }
    QSize PictureSize() const { return picture_.size(); }

    const QImage& Image() const { return image_; }
    // Replaces the persistent image alone; the picture stays (undo and redo).
    void SetImage(const QImage& image);
    // Writable view of the persistent image for the engine; detaches it from the picture. No
    // zoomed copies are made from then on until Refresh or a new image.
    CanvasView View();
    void Cls();  // clears the drawings: the image becomes the picture again
    ColorValue Point(double x, double y) const;

    // Circle outline in not-xor mode: every pixel of the outline is inverted exactly once, so
    // drawing the same outline twice restores the pixels.
    void DrawCircleNotXor(double cx, double cy, double radius);

    void SetBackColor(const QColor& color);
    QColor BackColor() const { return backColor_; }
    // Repaints after a command changed the image in place (the zoomed copies go with it).
    void Refresh();

    // Device pixels per picture pixel; the box takes the zoomed size. Clicks still report
    // picture pixels, and circle outlines are shown one device pixel wide at any zoom (they
    // stay in the image as drawn).
    void SetZoom(double zoom);
    double Zoom() const { return zoom_; }
    const ZoomPyramid& Pyramid() const { return pyramid_; }
    const ZoomPyramid& GlancePyramid() const { return glancePyramid_; }
    // Zoomed copies made from at least this many pixels are made off the GUI thread, the view
    // drawn from the nearest copy meanwhile.
    void SetBackgroundPixels(long long pixels);
    // An outline shown over the picture, never in it (picture pixels).
    void SetLiveOutline(double cx, double cy, double radius);
    void ClearLiveOutline();
    // Shows another picture in place of the image, at the same zoom, until EndGlance.
    void SetGlance(const QImage& picture);
    void EndGlance();
    bool Glancing() const { return !glance_.isNull(); }

signals:
    // button: the button pressed or released (1 left, 2 right, 4 middle); for moves, the
    // buttons held. shift: 1 Shift, 2 Ctrl, 4 Alt. x, y: the picture pixel under the pointer.
    void MouseDown(int button, int shift, double x, double y);
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void Clicked();
    // A paint event was handled (its end).
    void Painted();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Outline {
        int cx = 0, cy = 0, radius = 0;
        bool operator==(const Outline&) const = default;
    };
    void FitToImage();
    void PaintView(QPaintEvent* event);
    // Takes in the copies a worker made and shows them.
    void CollectCopies();
    // The image was assigned anew: its outlines are gone, and the zoomed copies unless the
    // pixels are those they were made from.
    void ImageReplaced();
    // The device pixels `device` of the zoomed picture as shown, overlays included.
    QImage RenderPart(QRect device);
    // The picture pixel under the pointer: the device pixel it is on, from the box's corner.
    QPointF PicturePosition(const QMouseEvent& event) const;

    QImage picture_;
    QImage image_;
    QColor backColor_{Qt::white};
    double zoom_ = 1;
    std::vector<Outline> outlines_;  // drawn into the image, in order
    std::optional<Outline> live_;
    QImage glance_;
    ZoomPyramid pyramid_;  // of the image without its outlines
    ZoomPyramid glancePyramid_;
    qint64 pyramidKey_ = 0;  // the image's cacheKey the pyramid belongs to
    qint64 cleanKey_ = 0;    // the key of the outline-free pixels it was made from
};

// Draws the image with its top-left corner at the painter's origin rounded to a whole device
// pixel, plus `offset` device pixels, one image pixel per device pixel (no scaling, no blur).
void DrawAtDevicePixels(QPainter& painter, const QImage& image, QPoint offset = {});

// Whole-pixel points of a circle outline, each once, in no particular order.
std::vector<QPoint> CircleOutlinePoints(int cx, int cy, int radius);

}  // namespace sorvenal
