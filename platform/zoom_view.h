#pragma once
// Zoomed drawing of a picture box: the zoom steps, the mapping between device pixels of the
// zoomed picture and picture pixels, the pyramid of halved copies and the drawing of the part
// on screen. Zoom is device pixels per picture pixel.
#include <QImage>
#include <QRect>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace sorvenal {

inline constexpr double kMinZoom = 1.0 / 16;
inline constexpr double kMaxZoom = 8;

// The steps of about sqrt(2) from 1/16 to 8, smallest first; 1 is among them.
const std::vector<double>& ZoomSteps();
// The next step above (or below) zoom; zoom itself at the end of the steps.
double ZoomIn(double zoom);
double ZoomOut(double zoom);
// The zoom that shows a picture of the given device pixels whole in a view of the given
// device pixels; never above 1 (a picture that fits is shown at actual size) nor below 1/16.
double FitZoom(QSize picture, QSize view);

// Device pixels of the picture at the zoom (each side at least 1).
QSize ZoomedSize(QSize picture, double zoom);
// The picture pixel shown on device pixel d of the zoomed picture.
int PictureCoordinate(int device, double zoom);
// The first device pixel of the zoomed picture that shows picture pixel p.
int DeviceCoordinate(int picture, double zoom);

// The picture halved again and again (each pixel the mean of a 2 x 2 block, rounded), made on
// demand; level 0 is the picture itself and is never copied. Levels of a large picture can be
// made by a worker thread (MakeInBackground): the owner draws from what is made meanwhile.
class ZoomPyramid {
public:
    ZoomPyramid() = default;
    ~ZoomPyramid();  // stops a worker
    ZoomPyramid(const ZoomPyramid&) = delete;
    ZoomPyramid& operator=(const ZoomPyramid&) = delete;

    // Level k of the picture (k >= 1 made and kept here), made now if it is not; the picture
    // must not change while levels are kept or made (Drop them first). inverted: picture
    // pixels (sorted by row, then column) that hold inverted colours; the levels are made as
    // if they did not.
    const QImage& Level(const QImage& picture, int k, const std::vector<QPoint>& inverted = {});
    // As Level, but when the levels would be made from at least the background pixels a
    // worker makes them: null until then (the worker calls `ready` on its own thread once it
    // is done, and Collect on the owner's thread takes them in).
    const QImage* LevelOrStart(const QImage& picture, int k,
                               const std::vector<QPoint>& inverted = {});
    void MakeInBackground(long long fromPixels, std::function<void()> ready);
    // While held, nothing is made: the levels missing are null (the pixels are being written).
    void Hold(bool held);
    // Takes in the levels a worker finished; true when there were some.
    bool Collect();
    bool Busy() const { return worker_.joinable(); }
    // Stops a worker (its levels are lost) and keeps the levels made.
    void Cancel();
    // Made levels (a worker's are not counted until collected).
    int LevelsMade() const { return static_cast<int>(levels_.size()); }
    void Drop();
    // Bytes held by the levels made.
    qsizetype Bytes() const;

private:
    struct Job;
    std::vector<QImage> levels_;  // levels_[i] is level i + 1
    std::shared_ptr<Job> job_;
    std::thread worker_;
    long long backgroundFrom_ = -1;  // none by default
    bool held_ = false;
    std::function<void()> ready_;
};

// One halving: each pixel the rounded mean of its 2 x 2 block (blocks cut by the edge average
// the pixels they have).
QImage HalvePicture(const QImage& picture);

// The part `visible` (device pixels of the zoomed picture) of the picture at the zoom: below 1
// area-averaged through the pyramid, above 1 nearest neighbour, at 1 the pixels themselves.
// While a worker makes the level needed, a smooth draw from the nearest level made stands in.
// inverted: as for ZoomPyramid::Level, shown with their colours inverted back.
QImage RenderZoomed(const QImage& picture, ZoomPyramid& pyramid, double zoom, QRect visible,
                    const std::vector<QPoint>& inverted = {});

// Inverts the pixels of `image` (RGB32) at the given points, offset by origin; points outside
// are left.
void InvertPoints(QImage& image, const std::vector<QPoint>& points, QPoint origin);

}  // namespace sorvenal
