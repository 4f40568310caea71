// Browsing as the user meets it, in the real window (offscreen Qt), against a steady clock:
//   browse_bench [FOLDER]                 the show's pace over ten 24 MP JPEGs, and 実寸画像で
//                                         レタッチ pressed one second after a selection (24 MP
//                                         and 100 MP), against one plain QImageReader::read
//   browse_bench --peak-memory [FOLDER]   peak resident size with a 100 MP picture in the
//                                         retouch state through two commands, in frames
// The JPEGs are made in FOLDER (kept there for the next run) or in a temporary folder.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/peak_memory.h"
#include "bench/photo_jpeg.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"

namespace sorvenal {
namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;

double PlainReadMs(const QString& path) {
    const auto start = Clock::now();
    QImageReader reader(path);
    QImage image;
    reader.read(&image);
    return Ms(Clock::now() - start);
}

// The moment each paint of a widget has finished.
class PaintClock : public QObject {
public:
    explicit PaintClock(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    std::vector<Clock::time_point> painted;
    std::function<bool()> counts;  // which paints are recorded; empty: all

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_ || event->type() != QEvent::Paint || inside_) return false;
        inside_ = true;
        const bool handled = QCoreApplication::sendEvent(widget_, event);
        inside_ = false;
        if (!counts || counts()) painted.push_back(Clock::now());
        return handled;
    }

private:
    QWidget* widget_;
    bool inside_ = false;
};

// The window over the folder in the browse state, counting its full decodes.
struct Window : test::Form1Session {
    std::atomic<int> fullDecodes{0};

    explicit Window(const QString& folder) : Form1Session(folder) {
        Form1Options options{.screenSize = test::FixedScreen(1920, 1080)};
        options.fullDecoder = [this](const NativePath& path, const std::atomic<bool>& cancel) {
            ++fullDecodes;
            return ReadPicture(path, ReadOptions{&cancel, true});
        };
        Browse(std::move(options));
    }
    ~Window() { form.reset(); }  // before the count its decoder writes
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    FileList* Files() const { return test::form1::File1(*form); }
};

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void ShowPace(const QString& folder) {
    QDir(folder).mkpath(QStringLiteral("show"));
    const QString show = QDir(folder).filePath(QStringLiteral("show"));
    const QString first =
        bench::PhotoJpeg(QDir(show).filePath(QStringLiteral("photo00.jpg")), 6000, 4000);
    for (int i = 1; i < 10; ++i)
        QFile::copy(first, QDir(show).filePath(
                               QStringLiteral("photo%1.jpg").arg(i, 2, 10, QLatin1Char('0'))));
    const double plain = Median({PlainReadMs(first), PlainReadMs(first), PlainReadMs(first)});

    std::vector<double> intervals;
    int decodes = 0;
    for (int run = 0; run < 3; ++run) {
        Window window(show);
        PreviewImage* preview = test::form1::Image1(*window.form);
        PaintClock clock(preview);
        qint64 lastKey = 0;
        clock.counts = [&] {
            const qint64 key = preview->Picture().cacheKey();
            if (!preview->HasPicture() || key == lastKey) return false;
            lastKey = key;
            return true;
        };
        window.Files()->SetListIndex(0);
        QCoreApplication::processEvents();
        clock.painted.clear();
        window.fullDecodes = 0;
        test::Click(test::form1::Label8(*window.form));
        const auto ended = Clock::now();
        if (clock.painted.size() != 10) {
            std::fprintf(stderr, "the show painted %zu pictures, not 10\n", clock.painted.size());
            std::exit(1);
        }
        for (size_t i = 1; i < clock.painted.size(); ++i)
            intervals.push_back(Ms(clock.painted[i] - clock.painted[i - 1]));
        intervals.push_back(Ms(ended - clock.painted.back()));  // the last one's stay
        Wait(1500);  // the picture the show ended on is decoded after it
        decodes += window.fullDecodes;
    }
    const auto [low, high] = std::minmax_element(intervals.begin(), intervals.end());
    std::printf(
        "show, ten 6000 x 4000 JPEGs, 3 runs: per picture median %.1f ms, min %.1f, max %.1f "
        "(pause 1000 ms; one plain read %.1f ms); full decodes %d in 3 runs\n",
        Median(intervals), *low, *high, plain, decodes);
}

void RetouchAfterOneSecond(const QString& folder, int width, int height) {
    const QString sub = QStringLiteral("real%1").arg(width);
    QDir(folder).mkpath(sub);
    const QString path =
        bench::PhotoJpeg(QDir(QDir(folder).filePath(sub)).filePath("photo.jpg"), width, height);
    std::vector<double> plain, painted;
    for (int run = 0; run < 5; ++run) {
        plain.push_back(PlainReadMs(path));
        Window window(QFileInfo(path).path());
        window.Files()->SetListIndex(0);
        Wait(1000);
        PictureBox* box = test::form1::Picture2(*window.form);
        PaintClock clock(box);
        clock.counts = [box] { return box->HasPicture(); };
        const auto pressed = Clock::now();
        test::Trigger(*window.form, "mnuReal");
        while (clock.painted.empty())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        painted.push_back(Ms(clock.painted.front() - pressed));
    }
    const double p = Median(plain), r = Median(painted);
    std::printf(
        "実寸画像でレタッチ one second after selecting, %d x %d: painted after %.1f ms "
        "(median of 5; one plain read %.1f ms, ratio %.3f)\n",
        width, height, r, p, r / p);
}

// Its own process, so that making the JPEG does not count.
int PeakMemoryOf(const QStringList& args) {
    if (args.size() != 1) return 2;
    const QString& path = args[0];
    const Window window(QFileInfo(path).path());
    window.Retouch(0);
    test::Trigger(*window.form, "mnuGamma");
    test::Trigger(*window.form, "mnuShade");
    const double peakMiB = bench::PeakResidentMiB();
    const QImageReader reader(path);
    const QSize size = reader.size();
    const double frameMiB = bench::FrameMiB(size.width(), size.height());
    std::printf(
        "%d x %d in the retouch state, two commands: peak resident %.1f MiB = %.2f frames "
        "of %.1f MiB\n",
        size.width(), size.height(), peakMiB, peakMiB / frameMiB, frameMiB);
    return 0;
}

// The folder the JPEGs are made in: the one given, or the temporary one.
QString FolderOf(const QStringList& args, const QTemporaryDir& temporary) {
    QString folder = args.isEmpty() ? temporary.path() : args[0];
    QDir().mkpath(folder);
    return folder;
}

int PeakMemory(const QStringList& args) {
    const QTemporaryDir temporary;
    const QString folder = FolderOf(args, temporary);
    QDir(folder).mkpath(QStringLiteral("peak"));
    const QString path =
        bench::PhotoJpeg(QDir(folder).filePath(QStringLiteral("peak/photo.jpg")), 12000, 8400);
    return QProcess::execute(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("--peak-memory-of"), path});
}

int Browse(const QStringList& args) {
    const QTemporaryDir temporary;
    const QString folder = FolderOf(args, temporary);
    ShowPace(folder);
    RetouchAfterOneSecond(folder, 6000, 4000);
    RetouchAfterOneSecond(folder, 12000, 8400);
    return 0;
}

[[maybe_unused]] const bool kPeakMemoryOf = bench::AddRun("--peak-memory-of", &PeakMemoryOf);
[[maybe_unused]] const bool kPeakMemory = bench::AddRun("--peak-memory", &PeakMemory);
[[maybe_unused]] const bool kBrowse = bench::AddRun("", &Browse);

}  // namespace
}  // namespace sorvenal
