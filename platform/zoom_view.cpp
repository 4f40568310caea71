#include "platform/zoom_view.h"

#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "engine/pixel_pipeline.h"

namespace sorvenal {

namespace {
// Zooms are products of sqrt(2); this much relative slack absorbs their rounding.
constexpr double kSlack = 1e-9;
constexpr int kLowestStep = -8;  // 2^(-8/2) = 1/16
constexpr int kHighestStep = 6;  // 2^(6/2) = 8

// Sum of channels of two RGB32 pixels kept apart in 16-bit lanes: red and blue, then
// alpha and green.
constexpr std::uint32_t kLowLanes = 0x00FF00FFu;
inline std::uint32_t Lo(std::uint32_t p) { return p & kLowLanes; }
inline std::uint32_t Hi(std::uint32_t p) { return (p >> 8) & kLowLanes; }

void HalveRows(const QImage& src, QImage& dst, int begin, int end) {
    const int w = src.width();
    const int h = src.height();
    const int dw = dst.width();
    for (int y = begin; y < end; ++y) {
        const auto* a = reinterpret_cast<const std::uint32_t*>(src.constScanLine(2 * y));
        const bool twoRows = 2 * y + 1 < h;
        const auto* b =
            twoRows ? reinterpret_cast<const std::uint32_t*>(src.constScanLine(2 * y + 1)) : a;
        auto* out = reinterpret_cast<std::uint32_t*>(dst.scanLine(y));
        const int full = w / 2;
        if (twoRows) {
            for (std::ptrdiff_t x = 0; x < full; ++x) {
                const std::uint32_t p0 = a[2 * x], p1 = a[2 * x + 1], p2 = b[2 * x],
                                    p3 = b[2 * x + 1];
                const std::uint32_t lo = (Lo(p0) + Lo(p1) + Lo(p2) + Lo(p3) + 0x00020002u) >> 2;
                const std::uint32_t hi = (Hi(p0) + Hi(p1) + Hi(p2) + Hi(p3) + 0x00020002u) >> 2;
                out[x] = (lo & kLowLanes) | ((hi & kLowLanes) << 8);
            }
        } else {
            for (std::ptrdiff_t x = 0; x < full; ++x) {
                const std::uint32_t p0 = a[2 * x], p1 = a[2 * x + 1];
                const std::uint32_t lo = (Lo(p0) + Lo(p1) + 0x00010001u) >> 1;
                const std::uint32_t hi = (Hi(p0) + Hi(p1) + 0x00010001u) >> 1;
                out[x] = (lo & kLowLanes) | ((hi & kLowLanes) << 8);
            }
        }
        if (full < dw) {  // the odd last column
            const std::uint32_t p0 = a[w - 1], p1 = b[w - 1];
            const std::uint32_t n = twoRows ? 2 : 1;
            const std::uint32_t round = twoRows ? 0x00010001u : 0;
            const std::uint32_t lo = (Lo(p0) + (twoRows ? Lo(p1) : 0) + round) / n;
            const std::uint32_t hi = (Hi(p0) + (twoRows ? Hi(p1) : 0) + round) / n;
            out[full] = (lo & kLowLanes) | ((hi & kLowLanes) << 8);
        }
    }
}

}  // namespace

const std::vector<double>& ZoomSteps() {
    static const std::vector<double> steps = [] {
        std::vector<double> s;
        for (int n = kLowestStep; n <= kHighestStep; ++n)
            s.push_back(n % 2 == 0 ? std::ldexp(1.0, n / 2) : std::pow(2.0, n / 2.0));
        return s;
    }();
    return steps;
}

double ZoomIn(double zoom) {
    for (double step : ZoomSteps())
        if (step > zoom * (1 + kSlack)) return step;
    return std::min(zoom, kMaxZoom);
}

double ZoomOut(double zoom) {
    const std::vector<double>& steps = ZoomSteps();
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        if (*it < zoom * (1 - kSlack)) return *it;
    return std::max(zoom, kMinZoom);
}

double FitZoom(QSize picture, QSize view) {
    if (picture.isEmpty() || view.isEmpty()) return 1;
    const double z = std::min(static_cast<double>(view.width()) / picture.width(),
                              static_cast<double>(view.height()) / picture.height());
    return std::clamp(z, kMinZoom, 1.0);
}

QSize ZoomedSize(QSize picture, double zoom) {
    auto side = [zoom](int px) {
        return std::max(1, static_cast<int>(std::ceil(px * zoom - px * zoom * kSlack)));
    };
    if (zoom == 1) return picture;
    return {side(picture.width()), side(picture.height())};
}

int PictureCoordinate(int device, double zoom) {
    if (zoom == 1) return device;
    return static_cast<int>(std::floor(device / zoom + kSlack));
}

int DeviceCoordinate(int picture, double zoom) {
    if (zoom == 1) return picture;
    int d = static_cast<int>(std::ceil(picture * zoom));
    while (PictureCoordinate(d - 1, zoom) >= picture) --d;
    while (PictureCoordinate(d, zoom) < picture) ++d;
    return d;
}

namespace {

// One halving, given up (a null image) once `cancel` is set.
QImage Halve(const QImage& picture, const std::atomic<bool>* cancel) {
    QImage half((picture.width() + 1) / 2, (picture.height() + 1) / 2, QImage::Format_RGB32);
    if (half.isNull()) return half;
    ForEachRowBand(half.height(), static_cast<long long>(picture.width()) * picture.height(),
                   [&](int begin, int end) {
                       if (cancel && cancel->load(std::memory_order_relaxed)) return;
                       HalveRows(picture, half, begin, end);
                   });
    if (cancel && cancel->load(std::memory_order_relaxed)) return {};
    return half;
}

// Halvings until the picture is a single pixel.
int Deepest(QSize size) {
    int k = 0;
    for (; size.width() > 1 || size.height() > 1; ++k)
        size = QSize((size.width() + 1) / 2, (size.height() + 1) / 2);
    return k;
}

// Levels first .. last, the first made from `from` (level first - 1; the picture itself when
// first is 1, whose inverted pixels are taken back). Empty once `cancel` is set.
std::vector<QImage> MakeLevels(const QImage& from, int first, int last,
                               const std::vector<QPoint>& inverted,
                               const std::atomic<bool>* cancel) {
    std::vector<QImage> made;
    for (int k = first; k <= last; ++k) {
        QImage level = Halve(made.empty() ? from : made.back(), cancel);
        if (cancel && cancel->load(std::memory_order_relaxed)) return {};
        if (k == 1) {
            // The blocks that hold inverted pixels are made again from their true colours.
            for (const QPoint& p : inverted) {
                const QPoint corner(p.x() & ~1, p.y() & ~1);
                const QRect r = QRect(corner, QSize(2, 2)) & from.rect();
                QImage block = from.copy(r);
                InvertPoints(block, inverted, r.topLeft());
                level.setPixel(corner / 2, HalvePicture(block).pixel(0, 0));
            }
        }
        made.push_back(std::move(level));
    }
    return made;
}

}  // namespace

QImage HalvePicture(const QImage& picture) { return Halve(picture, nullptr); }

// What a worker shares with the pyramid: the level it is asked for (raised while it works)
// and what it made.
struct ZoomPyramid::Job {
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    int want = 0;  // under mutex, as the rest
    bool done = false;
    std::vector<QImage> made;
};

ZoomPyramid::~ZoomPyramid() { Cancel(); }

const QImage& ZoomPyramid::Level(const QImage& picture, int k,
                                 const std::vector<QPoint>& inverted) {
    k = std::min(k, Deepest(picture.size()));
    if (k <= 0) return picture;
    if (k <= LevelsMade()) return levels_[k - 1];
    Cancel();
    const int first = LevelsMade() + 1;
    std::vector<QImage> made =
        MakeLevels(levels_.empty() ? picture : levels_.back(), first, k, inverted, nullptr);
    for (QImage& level : made) levels_.push_back(std::move(level));
    return levels_[k - 1];
}

void ZoomPyramid::MakeInBackground(long long fromPixels, std::function<void()> ready) {
    backgroundFrom_ = fromPixels;
    ready_ = std::move(ready);
}

const QImage* ZoomPyramid::LevelOrStart(const QImage& picture, int k,
                                        const std::vector<QPoint>& inverted) {
    k = std::min(k, Deepest(picture.size()));
    if (k <= 0) return &picture;
    if (k <= LevelsMade()) return &levels_[k - 1];
    if (held_) return nullptr;
    if (job_) {
        const std::lock_guard lock(job_->mutex);
        if (!job_->done) {
            job_->want = std::max(job_->want, k);
            return nullptr;
        }
    }
    Collect();  // a finished worker's levels first; they may be all it takes
    if (k <= LevelsMade()) return &levels_[k - 1];
    const QImage& from = levels_.empty() ? picture : levels_.back();
    if (!ready_ || backgroundFrom_ < 0 ||
        static_cast<long long>(from.width()) * from.height() < backgroundFrom_)
        return &Level(picture, k, inverted);
    job_ = std::make_shared<Job>();
    job_->want = k;
    const int first = LevelsMade() + 1;
    // The worker holds its own reference to the pixels: a writer detaches from it.
    worker_ =
        std::thread([job = job_, from = QImage(from), first,
                     inverted = first == 1 ? inverted : std::vector<QPoint>(), ready = ready_] {
            std::vector<QImage> made;
            for (;;) {
                int want = 0;
                {
                    const std::lock_guard lock(job->mutex);
                    want = job->want;
                    if (first + static_cast<int>(made.size()) > want) {
                        job->made = std::move(made);
                        job->done = true;
                        break;
                    }
                }
                const int next = first + static_cast<int>(made.size());
                std::vector<QImage> more =
                    MakeLevels(made.empty() ? from : made.back(), next, want,
                               next == 1 ? inverted : std::vector<QPoint>(), &job->cancel);
                if (more.empty()) return;  // cancelled: nobody waits for the levels
                for (QImage& level : more) made.push_back(std::move(level));
            }
            if (!job->cancel.load()) ready();
        });
    return nullptr;
}

void ZoomPyramid::Hold(bool held) {
    if (held) Cancel();
    held_ = held;
}

bool ZoomPyramid::Collect() {
    if (!job_) return false;
    {
        const std::lock_guard lock(job_->mutex);
        if (!job_->done) return false;
    }
    worker_.join();
    const bool any = !job_->made.empty();
    for (QImage& level : job_->made) levels_.push_back(std::move(level));
    job_.reset();
    return any;
}

void ZoomPyramid::Cancel() {
    if (!job_) return;
    job_->cancel = true;
    worker_.join();
    job_.reset();
}

void ZoomPyramid::Drop() {
    Cancel();
    levels_.clear();
}

qsizetype ZoomPyramid::Bytes() const {
    qsizetype bytes = 0;
    for (const QImage& level : levels_) bytes += level.sizeInBytes();
    return bytes;
}

QImage RenderZoomed(const QImage& picture, ZoomPyramid& pyramid, double zoom, QRect visible,
                    const std::vector<QPoint>& inverted) {
    visible &= QRect(QPoint(), ZoomedSize(picture.size(), zoom));
    QImage out(visible.size(), QImage::Format_RGB32);
    if (visible.isEmpty() || picture.isNull()) return out;
    if (zoom == 1) {
        out = picture.copy(visible);
        InvertPoints(out, inverted, visible.topLeft());
        return out;
    }
    if (zoom > 1) {
        // Sharp blocks: each device pixel shows the picture pixel PictureCoordinate names, so
        // a click lands on the pixel drawn under it.
        std::vector<int> xs(visible.width());
        for (int i = 0; i < visible.width(); ++i)
            xs[i] = std::min(PictureCoordinate(visible.x() + i, zoom), picture.width() - 1);
        int lastRow = -1;
        for (int j = 0; j < visible.height(); ++j) {
            const int py = std::min(PictureCoordinate(visible.y() + j, zoom), picture.height() - 1);
            auto* dst = reinterpret_cast<std::uint32_t*>(out.scanLine(j));
            if (py == lastRow) {
                std::copy_n(reinterpret_cast<const std::uint32_t*>(out.constScanLine(j - 1)),
                            visible.width(), dst);
                continue;
            }
            const auto* src = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(py));
            for (int i = 0; i < visible.width(); ++i) dst[i] = src[xs[i]];
            lastRow = py;
        }
        for (const QPoint& p : inverted) {
            const QRect block(QPoint(DeviceCoordinate(p.x(), zoom), DeviceCoordinate(p.y(), zoom)),
                              QPoint(DeviceCoordinate(p.x() + 1, zoom) - 1,
                                     DeviceCoordinate(p.y() + 1, zoom) - 1));
            const QRect in = (block & visible).translated(-visible.topLeft());
            for (int y = in.top(); y <= in.bottom(); ++y)
                for (int x = in.left(); x <= in.right(); ++x) {
                    auto* px = reinterpret_cast<std::uint32_t*>(out.scanLine(y)) + x;
                    *px = 0xFF000000u | (~*px & 0x00FFFFFFu);
                }
        }
        return out;
    }
    // Smooth: from the smallest level at least as large as the view, the rest by a bilinear
    // step of at most a half, which still reads every pixel of that level.
    int k = 0;
    while (k < 30 && std::ldexp(1.0, -(k + 1)) >= zoom * (1 - kSlack)) ++k;
    const QImage* made = pyramid.LevelOrStart(picture, k, inverted);
    const bool standIn = made == nullptr;
    if (standIn) {
        // Until the worker is done: the nearest level made, drawn smoothly.
        k = pyramid.LevelsMade();
        made = &pyramid.Level(picture, k);
    }
    const QImage& level = *made;
    const double scale = zoom * std::ldexp(1.0, k);
    if (std::abs(scale - 1) < kSlack) return level.copy(visible);
    out.fill(Qt::black);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Only the part of the level under the view (and a pixel around it for the filter).
    const QRectF wanted(visible.x() / scale - 1, visible.y() / scale - 1,
                        visible.width() / scale + 2, visible.height() / scale + 2);
    const QRect source = wanted.toAlignedRect() & level.rect();
    const QRectF target(source.x() * scale - visible.x(), source.y() * scale - visible.y(),
                        source.width() * scale, source.height() * scale);
    if (k == 0 && !standIn && !inverted.empty()) {
        QImage part = level.copy(source);
        InvertPoints(part, inverted, source.topLeft());
        painter.drawImage(target, part);
    } else {
        painter.drawImage(target, level, source);
    }
    return out;
}

void InvertPoints(QImage& image, const std::vector<QPoint>& points, QPoint origin) {
    for (const QPoint& p : points) {
        const QPoint at = p - origin;
        if (!image.rect().contains(at)) continue;
        auto* px = reinterpret_cast<std::uint32_t*>(image.scanLine(at.y())) + at.x();
        *px = 0xFF000000u | (~*px & 0x00FFFFFFu);
    }
}

}  // namespace sorvenal
