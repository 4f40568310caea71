// Zoom in the retouch view of a 1920 x 1080 screen, on 6000 x 4000 and 12000 x 8400 photos: a
// Ctrl+wheel step until the view is painted (with the pyramid level there, and the first step
// into a level), fit after a command changed the picture, and arrow-key scrolling at 25 %
// against 100 %. `zoom_bench --peak-memory` reports the pyramid's size against the frame's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "app/main_window.h"
#include "bench/bench_main.h"
#include "bench/photo_jpeg.h"
#include "platform/picture_box.h"
#include "platform/zoom_view.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

// The photo in the retouch view of a 1920 x 1080 screen.
struct ZoomWindow : test::Form1Session {
    explicit ZoomWindow(const QString& folder) : Form1Session(folder) {
        Browse({.screenSize = test::FixedScreen(1920, 1080)});
        Retouch(0);
    }
};

// The photo of each width, written once per run.
QString FolderFor(int width) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> dirs;
    if (!dirs.count(width)) {
        auto dir = std::make_unique<QTemporaryDir>();
        bench::PhotoJpeg(dir->filePath("photo.jpg"), width, width == 6000 ? 4000 : 8400);
        dirs[width] = std::move(dir);
    }
    return dirs[width]->path();
}

// A window of its own for each benchmark: it ends as the program does, journal and all.
std::unique_ptr<ZoomWindow> WindowFor(int width) {
    return std::make_unique<ZoomWindow>(FolderFor(width));
}

// One Ctrl+wheel notch at the middle of the view, then the paint it causes.
void WheelAndPaint(Form1& form, int notches) {
    PictureBox* box = Picture2(form);
    const QPointF global = form.mapToGlobal(QPointF(900, 500));
    QWheelEvent wheel(box->mapFromGlobal(global), global, QPoint(), QPoint(0, notches * 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    form.repaint();
}

void ZoomTo(Form1& form, double zoom) {
    QTest::keyClick(Picture2(form), Qt::Key_0, Qt::ControlModifier);
    while (form.Zoom() > zoom * 1.0001) WheelAndPaint(form, -1);
    while (form.Zoom() < zoom * 0.9999) WheelAndPaint(form, 1);
}

// A step into the zoom ZoomSteps()[range(1)] from the step above it, levels made.
void BM_WheelStepLevelMade(benchmark::State& state) {
    const auto window = WindowFor(static_cast<int>(state.range(0)));
    Form1& form = *window->form;
    const double target = ZoomSteps()[state.range(1)];
    ZoomTo(form, target);  // makes the levels
    for (auto _ : state) {
        state.PauseTiming();
        WheelAndPaint(form, 1);
        state.ResumeTiming();
        WheelAndPaint(form, -1);
    }
    state.SetLabel(QStringLiteral("%1%").arg(target * 100, 0, 'f', 1).toStdString());
}

// The first step into 50 %: the pyramid's first level is made from the whole picture.
void BM_WheelStepFirstIntoLevel(benchmark::State& state) {
    const auto window = WindowFor(static_cast<int>(state.range(0)));
    Form1& form = *window->form;
    for (auto _ : state) {
        state.PauseTiming();
        ZoomTo(form, std::sqrt(0.5));
        Picture2(form)->Refresh();  // drops the copies, as a command does
        state.ResumeTiming();
        WheelAndPaint(form, -1);
    }
}

// Fit after a command changed the picture (the command itself is not timed).
void BM_FitAfterCommand(benchmark::State& state) {
    const auto window = WindowFor(static_cast<int>(state.range(0)));
    Form1& form = *window->form;
    for (auto _ : state) {
        state.PauseTiming();
        QTest::keyClick(Picture2(form), Qt::Key_0, Qt::ControlModifier);
        test::Trigger(form, "mnuGamma");
        state.ResumeTiming();
        QTest::keyClick(Picture2(form), Qt::Key_0, Qt::ControlModifier | Qt::AltModifier);
        form.repaint();
    }
}

// An arrow-key step and its paint at the zoom ZoomSteps()[range(1)].
void BM_ScrollStep(benchmark::State& state) {
    const auto window = WindowFor(static_cast<int>(state.range(0)));
    Form1& form = *window->form;
    ZoomTo(form, ZoomSteps()[state.range(1)]);
    VScroll1(form)->setValue(0);
    int moved = 0;
    for (auto _ : state) {
        if (VScroll1(form)->value() >= VScroll1(form)->maximum()) {
            state.PauseTiming();
            VScroll1(form)->setValue(0);
            form.repaint();
            state.ResumeTiming();
        }
        const int before = VScroll1(form)->value();
        QTest::keyClick(Picture2(form), Qt::Key_Up);  // shows what lies below
        moved += VScroll1(form)->value() != before;
        form.repaint();
    }
    state.SetLabel(moved > 0 ? "scrolled" : "no vertical bar at this zoom");
}

void Sizes(benchmark::internal::Benchmark* b, std::initializer_list<int> steps) {
    for (int width : {6000, 12000})
        for (int step : steps) b->Args({width, step});
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20)->Repetitions(3);
}

// Steps 0..8 are 1/16 .. 1; 10 and 12 are 2 and 4.
BENCHMARK(BM_WheelStepLevelMade)->Apply([](auto* b) { Sizes(b, {0, 2, 4, 6, 7, 10, 12}); });
BENCHMARK(BM_WheelStepFirstIntoLevel)->Apply([](auto* b) { Sizes(b, {0}); });
BENCHMARK(BM_FitAfterCommand)->Apply([](auto* b) { Sizes(b, {0}); });
BENCHMARK(BM_ScrollStep)->Apply([](auto* b) { Sizes(b, {4, 8}); });

// The pyramid's bytes with every level made (1/16 reached step by step), against the frame's.
int PyramidMemory(const QStringList&) {
    for (int width : {6000, 12000}) {
        const auto window = WindowFor(width);
        Form1& form = *window->form;
        ZoomTo(form, 1.0 / 16);
        const PictureBox* box = Picture2(form);
        const double frame = static_cast<double>(box->Image().sizeInBytes());
        std::printf("%d px wide: pyramid %.1f MiB, frame %.1f MiB, ratio %.3f\n", width,
                    box->Pyramid().Bytes() / 1048576.0, frame / 1048576.0,
                    box->Pyramid().Bytes() / frame);
    }
    return 0;
}
[[maybe_unused]] const bool kPeakMemory = bench::AddRun("--peak-memory", &PyramidMemory);

}  // namespace
}  // namespace sorvenal
