// The main window's file selection and retouch commands against the plain work they wrap, on a
// 6000 x 4000 JPEG. `window_bench --peak-memory` instead reports the peak resident size of one
// retouch command in the retouch state, against the picture's 32-bit size, and
// `--peak-memory-history` that of ten lightening steps kept for undo.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/peak_memory.h"
#include "bench/photo_jpeg.h"
#include "engine/retouch_commands.h"
#include "platform/canvas_image.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

struct PictureFolder {
    QTemporaryDir dir;
    QString path;
    PictureFolder() { path = bench::PhotoJpeg(dir.filePath("photo.jpg"), kWidth, kHeight); }
};

PictureFolder& Folder() {
    static PictureFolder folder;
    return folder;
}

// The window over the photo's folder in the browse state.
struct Window : test::Form1Session {
    Window() : Form1Session(Folder().dir.path()) {
        Browse({.screenSize = test::FixedScreen(1920, 1080)});
    }
};

// The photo selected and at actual size for retouch.
struct Retouching : Window {
    Retouching() { Retouch(0); }
};

void BM_SelectFileThroughForm1(benchmark::State& state) {
    const Window window;
    const Form1& form = *window.form;
    FileList* files = File1(form);
    PreviewImage* preview = Image1(form);
    PictureBox* picture = Picture2(form);
    for (auto _ : state) {
        files->SetListIndex(0);  // preview, original, working copy, caption
        preview->repaint();
        benchmark::DoNotOptimize(picture->Image().constBits());
    }
}
BENCHMARK(BM_SelectFileThroughForm1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainDecode(benchmark::State& state) {
    for (auto _ : state) {
        QImageReader reader(Folder().path);
        QImage image = reader.read();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PlainDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

// A retouch command through the window: for the saturation commands their pass and the whole
// darken command, as one step.
void BM_CommandThroughForm1(benchmark::State& state, const char* action) {
    const Retouching window;
    // The first command also parts the canvas from the original it shares pixels with (one
    // copy of the picture); measure the commands after it.
    QAction* command = test::MenuEntry(*window.form, action);
    command->trigger();
    for (auto _ : state) command->trigger();
}
BENCHMARK_CAPTURE(BM_CommandThroughForm1, gamma, "mnuGamma")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CommandThroughForm1, saturate, "mnuShade")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_GammaEngineAlone(benchmark::State& state) {
    QImageReader reader(Folder().path);
    QImage image = reader.read().convertToFormat(QImage::Format_RGB32);
    const CanvasView view = ViewOf(image);
    for (auto _ : state) RunRetouchPass(view, RetouchCommand::Gamma);
}
BENCHMARK(BM_GammaEngineAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// Undo: one frame's memcpy as the yardstick; the recording cost is the gamma command through
// the window (which records a step) less the engine pass alone.
void BM_MemcpyOneFrame(benchmark::State& state) { bench::MemcpyFrame(state, kWidth, kHeight); }
BENCHMARK(BM_MemcpyOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The last step undone and redone by the named menu entries, over and over.
void UndoThenRedo(benchmark::State& state, const Form1& form, const char* undoEntry,
                  const char* redoEntry) {
    QAction* undo = test::MenuEntry(form, undoEntry);
    QAction* redo = test::MenuEntry(form, redoEntry);
    for (auto _ : state) {
        undo->trigger();
        redo->trigger();
    }
    if (!test::History(form).CanUndo()) state.SkipWithError("no step was recorded");
}

void BM_UndoThenRedoThroughForm1(benchmark::State& state) {
    const Retouching window;
    test::Trigger(*window.form, "mnulight");
    UndoThenRedo(state, *window.form, "mnuUndo", "mnuRedo");
}
BENCHMARK(BM_UndoThenRedoThroughForm1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the circle effect: its steps keep only the changed rows, swapped in place.
void BM_UndoThenRedoCircleEffect(benchmark::State& state) {
    const Retouching window;
    const Form1& form = *window.form;
    test::Trigger(form, "mnuChange");
    // A circle of radius 300 marked by a drag, as the user would.
    test::DragOnPicture(form, {3000, 2000}, {3300, 2000});
    if (form.MarkedCircle().rl != 300) state.SkipWithError("the circle was not marked");
    test::Trigger(form, "mnuCirclelight");
    UndoThenRedo(state, form, "mnuUndo2", "mnuRedo2");
}
BENCHMARK(BM_UndoThenRedoCircleEffect)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak memory with ten lightening steps recorded.
int PeakMemoryWithHistory(const QStringList&) {
    const Retouching window;
    for (int i = 0; i < 10; ++i) test::Trigger(*window.form, "mnulight");
    const double peakMiB = bench::PeakResidentMiB();
    const double pictureMiB = bench::FrameMiB(kWidth, kHeight);
    std::printf("ten steps kept %d: peak resident %.1f MiB, picture %.1f MiB, ratio %.2f\n",
                test::History(*window.form).UndoCount(), peakMiB, pictureMiB, peakMiB / pictureMiB);
    return 0;
}

int PeakMemory(const QStringList&) {
    const Retouching window;
    test::Trigger(*window.form, "mnuGamma");
    test::Trigger(*window.form, "mnuShade");
    const double peakMiB = bench::PeakResidentMiB();
    const double pictureMiB = bench::FrameMiB(kWidth, kHeight);
    std::printf("peak resident %.1f MiB, picture %.1f MiB, ratio %.2f\n", peakMiB, pictureMiB,
                peakMiB / pictureMiB);
    return 0;
}
[[maybe_unused]] const bool kPeakMemory = bench::AddRun("--peak-memory", &PeakMemory);
[[maybe_unused]] const bool kPeakMemoryWithHistory =
    bench::AddRun("--peak-memory-history", &PeakMemoryWithHistory);

}  // namespace
}  // namespace sorvenal
