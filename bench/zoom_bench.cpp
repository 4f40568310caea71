// Zoom in the retouch view of a 1920 x 1080 screen, on 6000 x 4000 and 12000 x 8400 photos: a
// Ctrl+wheel step until the view's paint event ended (with the pyramid level there, and the first
// step into a level), fit after a command changed the picture, and arrow-key scrolling at 25 %
// against 100 %. `zoom_bench --peak-memory` reports the pyramid's size against the frame's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>

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

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the event loop until the view has ended a paint after `since` (or a second went by).
std::optional<Clock::time_point> PaintAfter(PictureBox* box, const std::function<void()>& send,
                                            Clock::time_point since) {
    std::optional<Clock::time_point> end;
    const QMetaObject::Connection painted =
        QObject::connect(box, &PictureBox::Painted, [&] { end = Clock::now(); });
    send();
    // Waits without spinning: the worker making copies needs the other core. A timer wakes it.
    QTimer wake;
    wake.start(50);
    while (!end && Clock::now() - since < std::chrono::seconds(2))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QObject::disconnect(painted);
    return end;
}

// A step: from the event sent to the end of the view's first paint, and to the end of the paint
// that shows the exact level when a worker made it meanwhile (milliseconds, the monotonic clock).
struct StepTimes {
    double painted = 0;
    double exact = 0;
};

StepTimes TimeStep(PictureBox* box, const std::function<void()>& send) {
    const Clock::time_point start = Clock::now();
    StepTimes times;
    const auto first = PaintAfter(box, send, start);
    if (!first) return times;
    times.painted = times.exact = Milliseconds(*first - start);
    if (box->Pyramid().Busy() || box->GlancePyramid().Busy()) {
        const auto exact = PaintAfter(
            box, [] {}, start);
        if (exact) times.exact = Milliseconds(*exact - start);
    }
    return times;
}

// Until no worker makes copies any more.
void WaitForCopies(PictureBox* box) {
    QTimer wake;
    wake.start(50);
    while (box->Pyramid().Busy() || box->GlancePyramid().Busy())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// Ctrl+wheel notches at the middle of the view, then its paint.
StepTimes WheelAndPaint(Form1& form, int notches) {
    PictureBox* box = Picture2(form);
    const QPointF global = form.mapToGlobal(QPointF(900, 500));
    return TimeStep(box, [&] {
        QWheelEvent wheel(box->mapFromGlobal(global), global, QPoint(), QPoint(0, notches * 120),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
    });
}

void ZoomTo(Form1& form, double zoom) {
    QTest::keyClick(Picture2(form), Qt::Key_0, Qt::ControlModifier);
    while (form.Zoom() > zoom * 1.0001) WheelAndPaint(form, -1);
    while (form.Zoom() < zoom * 0.9999) WheelAndPaint(form, 1);
    WaitForCopies(Picture2(form));
}

// A step into the zoom ZoomSteps()[range(1)] from the step above it, levels made.
void BM_WheelStepLevelMade(benchmark::State& state) {
    const auto window = WindowFor(static_cast<int>(state.range(0)));
    Form1& form = *window->form;
    const double target = ZoomSteps()[state.range(1)];
    ZoomTo(form, target);    // makes the levels
    WheelAndPaint(form, 1);  // the first paints of a new window are not what is measured
    WheelAndPaint(form, -1);
    for (auto _ : state) {
        WheelAndPaint(form, 1);
        state.SetIterationTime(WheelAndPaint(form, -1).painted / 1000);
    }
    state.SetLabel(QStringLiteral("%1%").arg(target * 100, 0, 'f', 1).toStdString());
}

// The first step into 50 %: the pyramid's first level is made from the whole picture. exact_ms:
// until the view shows that level.
void BM_WheelStepFirstIntoLevel(benchmark::State& state) {
    const auto window = WindowFor(static_cast<int>(state.range(0)));
    Form1& form = *window->form;
    double exact = 0;
    for (auto _ : state) {
        ZoomTo(form, std::sqrt(0.5));
        Picture2(form)->Refresh();  // drops the copies, as a command does
        const StepTimes times = WheelAndPaint(form, -1);
        state.SetIterationTime(times.painted / 1000);
        exact += times.exact;
    }
    state.counters["exact_ms"] = benchmark::Counter(exact, benchmark::Counter::kAvgIterations);
}

// Fit after a command changed the picture (the command itself is not timed).
void BM_FitAfterCommand(benchmark::State& state) {
    const auto window = WindowFor(static_cast<int>(state.range(0)));
    Form1& form = *window->form;
    double exact = 0;
    for (auto _ : state) {
        QTest::keyClick(Picture2(form), Qt::Key_0, Qt::ControlModifier);
        test::Trigger(form, "mnuGamma");
        const StepTimes times = TimeStep(Picture2(form), [&] {
            QTest::keyClick(Picture2(form), Qt::Key_0, Qt::ControlModifier | Qt::AltModifier);
        });
        state.SetIterationTime(times.painted / 1000);
        exact += times.exact;
    }
    state.counters["exact_ms"] = benchmark::Counter(exact, benchmark::Counter::kAvgIterations);
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
            VScroll1(form)->setValue(0);
            QCoreApplication::processEvents();
        }
        const int before = VScroll1(form)->value();
        const Clock::time_point start = Clock::now();
        QTest::keyClick(Picture2(form), Qt::Key_Up);  // shows what lies below
        double ms = Milliseconds(Clock::now() - start);
        if (VScroll1(form)->value() != before) {
            ++moved;
            const auto end = PaintAfter(
                Picture2(form), [] {}, start);
            if (end) ms = Milliseconds(*end - start);
        }
        state.SetIterationTime(ms / 1000);
    }
    state.SetLabel(moved > 0 ? "scrolled" : "no vertical bar at this zoom");
}

void Sizes(benchmark::internal::Benchmark* b, std::initializer_list<int> steps) {
    for (int width : {6000, 12000})
        for (int step : steps) b->Args({width, step});
    b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20)->Repetitions(3);
}

// Steps 0..8 are 1/16 .. 1; 10 and 12 are 2 and 4.
BENCHMARK(BM_WheelStepLevelMade)->Apply([](auto* b) { Sizes(b, {0, 2, 4, 6, 7, 10, 12}); });
BENCHMARK(BM_WheelStepFirstIntoLevel)->Apply([](auto* b) { Sizes(b, {0}); });
BENCHMARK(BM_FitAfterCommand)->Apply([](auto* b) { Sizes(b, {0}); });
BENCHMARK(BM_ScrollStep)->Apply([](auto* b) { Sizes(b, {4, 8}); });

// The pyramid's bytes with every level made (1/16 reached step by step), then during a glance at
// the original and after it, against the frame's: the most the copies held at once.
int PyramidMemory(const QStringList&) {
    for (int width : {6000, 12000}) {
        const auto window = WindowFor(width);
        Form1& form = *window->form;
        PictureBox* box = Picture2(form);
        qsizetype peak = 0;
        auto sample = [&] {
            peak = std::max(peak, box->Pyramid().Bytes() + box->GlancePyramid().Bytes());
        };
        auto settle = [&] {
            QTimer wake;
            wake.start(5);
            while (box->Pyramid().Busy() || box->GlancePyramid().Busy()) {
                QCoreApplication::processEvents(QEventLoop::AllEvents |
                                                QEventLoop::WaitForMoreEvents);
                sample();
            }
            box->repaint();
            sample();
        };
        ZoomTo(form, 1.0 / 16);
        settle();
        const qsizetype zoomed = peak;
        QTest::keyPress(box, Qt::Key_Shift, Qt::ShiftModifier);
        box->repaint();
        settle();
        const bool glanced = box->Glancing();
        QTest::keyRelease(box, Qt::Key_Shift);
        box->repaint();
        settle();
        const double frame = static_cast<double>(box->Image().sizeInBytes());
        std::printf(
            "%d px wide: pyramid %.1f MiB, peak with the glance%s %.1f MiB, frame %.1f "
            "MiB, ratios %.3f / %.3f\n",
            width, zoomed / 1048576.0, glanced ? "" : " (no glance!)", peak / 1048576.0,
            frame / 1048576.0, zoomed / frame, peak / frame);
    }
    return 0;
}
[[maybe_unused]] const bool kPeakMemory = bench::AddRun("--peak-memory", &PyramidMemory);

}  // namespace
}  // namespace sorvenal
