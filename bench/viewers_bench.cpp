// The full-screen views and the show, each against the plain work it cannot avoid:
//   opening the actual-size view on 24 megapixels  vs  copying the pixels once
//   opening the fit view                           vs  one smooth downscale to the screen + that
//   copy the show displaying one 24-megapixel JPEG      vs  one full decode of the file
// Opening includes the first paint of the whole (1920 x 1080) screen.
// Run: build/bench/viewers_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "viewers/continuous_show.h"
#include "viewers/fullscreen_actual.h"
#include "viewers/fullscreen_fit.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

constexpr int kWidth = 6000, kHeight = 4000;  // 24 megapixels, 3:2
const QSize kScreen(1920, 1080);
constexpr ScreenTwips kScreenTwips = test::ScreenOfPixels(1920, 1080);

// Smooth shading with a little grain, so the JPEG compresses like a photograph.
const QImage& Photo() {
    static const QImage image = [] {
        QImage img(kWidth, kHeight, QImage::Format_RGB32);
        std::uint32_t state = 7u;
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                state = state * 1664525u + 1013904223u;
                const int grain = static_cast<int>(state >> 29);
                row[x] = qRgb((x / 24 + grain) & 255, (y / 16 + grain) & 255,
                              ((x + y) / 40 + grain) & 255);
            }
        }
        return img;
    }();
    return image;
}

QImage ScreenTarget() {
    QImage target(kScreen, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::black);
    return target;
}

void BM_OpenActualView(benchmark::State& state) {
    const QImage& picture = Photo();
    QImage screen = ScreenTarget();
    for (auto _ : state) {
        Form2 view(picture, kScreenTwips);
        view.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
        view.CloseView();
    }
}
BENCHMARK(BM_OpenActualView)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyPixelsOnce(benchmark::State& state) {
    const QImage& picture = Photo();
    for (auto _ : state) {
        QImage copy = picture.copy();
        benchmark::DoNotOptimize(copy.constBits());
    }
}
BENCHMARK(BM_CopyPixelsOnce)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenFitView(benchmark::State& state) {
    const QImage& picture = Photo();
    QImage screen = ScreenTarget();
    for (auto _ : state) {
        Form3 view(picture, kScreenTwips);
        view.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
        view.CloseView();
    }
}
BENCHMARK(BM_OpenFitView)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SmoothDownscalePlusCopy(benchmark::State& state) {
    const QImage& picture = Photo();
    const QSize fit(1620, 1080);  // 3:2 on 16:9: the height decides
    for (auto _ : state) {
        QImage copy = picture.copy();
        QImage scaled = picture.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(copy.constBits());
        benchmark::DoNotOptimize(scaled.constBits());
    }
}
BENCHMARK(BM_SmoothDownscalePlusCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

// A folder holding one 24-megapixel JPEG, made once per run.
const QString& JpegFolder() {
    static QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    static const QString folder = [] {
        QImageWriter writer(dir.filePath(QStringLiteral("photo.jpg")), "jpeg");
        writer.setQuality(90);
        writer.write(Photo());
        return dir.path();
    }();
    return folder;
}

// Steps 1 and 2 of one pass of the show: select the entry (the main window shows its preview
// and caption; the full picture waits for the show to end) and run the pending events.
void BM_ShowDisplayOneJpeg(benchmark::State& state) {
    test::Form1Session window(JpegFolder());
    const Form1& form =
        window.Browse({.screenSize = test::FixedScreen(1920, 1080)}, test::Visibility::Hidden);
    if (File1(form)->ListCount() != 1) {
        state.SkipWithError("the picture is not listed");
        return;
    }
    FileList* files = File1(form);
    for (auto _ : state) {
        files->SetListIndex(0);
        QCoreApplication::processEvents();
    }
    if (!Image1(form)->HasPicture() || !Label5(form)->text().contains(QString::number(kWidth)))
        state.SkipWithError("the picture was not displayed");
}
BENCHMARK(BM_ShowDisplayOneJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole show over the one-picture folder from the selected file, the pause left out.
void BM_ShowWholeOneJpeg(benchmark::State& state) {
    Form1Options options;
    options.showPause = [](int) { return true; };
    options.screenSize = test::FixedScreen(1920, 1080);
    test::Form1Session window(JpegFolder());
    const Form1& form = window.Browse(std::move(options), test::Visibility::Hidden);
    Option2(form)->setChecked(true);
    FileList* files = File1(form);
    QLabel* start = Label8(form);
    for (auto _ : state) {
        state.PauseTiming();
        files->SetListIndex(0);
        state.ResumeTiming();
        test::Click(start);
    }
}
BENCHMARK(BM_ShowWholeOneJpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

// The show's pause against the monotonic clock: its shortest and longest run over the
// iterations, in milliseconds (the target is 1000, never less).
void BM_ShowPause(benchmark::State& state) {
    double shortest = 1e9, longest = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        BlockingPause(1000);
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        shortest = std::min(shortest, ms);
        longest = std::max(longest, ms);
    }
    state.counters["shortest_ms"] = shortest;
    state.counters["longest_ms"] = longest;
}
BENCHMARK(BM_ShowPause)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_DecodeJpegOnce(benchmark::State& state) {
    const QString path = JpegFolder() + QStringLiteral("/photo.jpg");
    for (auto _ : state) {
        ReadResult read = ReadPicture(path);
        if (!read.ok()) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(read.image.constBits());
    }
}
BENCHMARK(BM_DecodeJpegOnce)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sorvenal
