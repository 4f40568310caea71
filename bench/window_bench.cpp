// The main window's file selection and retouch commands against the plain work they wrap, on a
// 6000 x 4000 JPEG. `window_bench --peak-memory` instead reports the peak resident size of one
// retouch command in the retouch state, against the picture's 32-bit size, and
// `--peak-memory-history` that of ten lightening steps kept for undo.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "bench/peak_memory.h"
#include "bench/photo_jpeg.h"
#include "engine/retouch_commands.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/scripted_dialogs.h"

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

std::unique_ptr<Form1> MakeForm(ScriptedDialogService& dialogs) {
    auto form = std::make_unique<Form1>(&dialogs, nullptr, Folder().dir.path(),
                                        Form1Options{.screenSize = test::FixedScreen(1920, 1080)});
    form->SetQuitHook([] {});
    form->show();
    form->Action("mnuOpen")->trigger();
    return form;
}

void BM_SelectFileThroughForm1(benchmark::State& state) {
    ScriptedDialogService dialogs;
    auto form = MakeForm(dialogs);
    FileList* files = File1(*form);
    PreviewImage* preview = Image1(*form);
    PictureBox* picture = Picture2(*form);
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
    ScriptedDialogService dialogs;
    auto form = MakeForm(dialogs);
    File1(*form)->SetListIndex(0);
    form->Action("mnuReal")->trigger();
    // The first command also parts the canvas from the original it shares pixels with (one
    // copy of the picture); measure the commands after it.
    form->Action(action)->trigger();
    for (auto _ : state) {
        form->Action(action)->trigger();
    }
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
    const CanvasView view{reinterpret_cast<std::uint32_t*>(image.bits()), image.width(),
                          image.height(), image.bytesPerLine() / 4};
    for (auto _ : state) RunRetouchPass(view, RetouchCommand::Gamma);
}
BENCHMARK(BM_GammaEngineAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// Undo: one frame's memcpy as the yardstick; the recording cost is the gamma command through
// the window (which records a step) less the engine pass alone.
void BM_MemcpyOneFrame(benchmark::State& state) {
    std::vector<std::uint32_t> from(std::size_t{kWidth} * kHeight, 0x12345678u);
    std::vector<std::uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UndoThenRedoThroughForm1(benchmark::State& state) {
    ScriptedDialogService dialogs;
    auto form = MakeForm(dialogs);
    File1(*form)->SetListIndex(0);
    form->Action("mnuReal")->trigger();
    form->Action("mnulight")->trigger();
    for (auto _ : state) {
        form->Action("mnuUndo")->trigger();
        form->Action("mnuRedo")->trigger();
    }
    if (!form->History().CanUndo()) state.SkipWithError("no step was recorded");
}
BENCHMARK(BM_UndoThenRedoThroughForm1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the circle effect: its steps keep only the changed rows, swapped in place.
void BM_UndoThenRedoCircleEffect(benchmark::State& state) {
    ScriptedDialogService dialogs;
    auto form = MakeForm(dialogs);
    File1(*form)->SetListIndex(0);
    form->Action("mnuReal")->trigger();
    form->Action("mnuChange")->trigger();
    // A circle of radius 300 marked by a drag, as the user would.
    PictureBox* picture = Picture2(*form);
    emit picture->MouseDown(kLeftButton, 0, 3000, 2000);
    emit picture->MouseMove(kLeftButton, 0, 3300, 2000);
    emit picture->MouseUp(kLeftButton, 0, 3300, 2000);
    if (form->MarkedCircle().rl != 300) state.SkipWithError("the circle was not marked");
    form->Action("mnuCirclelight")->trigger();
    for (auto _ : state) {
        form->Action("mnuUndo2")->trigger();
        form->Action("mnuRedo2")->trigger();
    }
    if (!form->History().CanUndo()) state.SkipWithError("no step was recorded");
}
BENCHMARK(BM_UndoThenRedoCircleEffect)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak memory with ten lightening steps recorded.
int PeakMemoryWithHistory() {
    ScriptedDialogService dialogs;
    auto form = MakeForm(dialogs);
    File1(*form)->SetListIndex(0);
    form->Action("mnuReal")->trigger();
    for (int i = 0; i < 10; ++i) form->Action("mnulight")->trigger();
    const double peakMiB = bench::PeakResidentMiB();
    const double pictureMiB = bench::FrameMiB(kWidth, kHeight);
    std::printf("ten steps kept %d: peak resident %.1f MiB, picture %.1f MiB, ratio %.2f\n",
                form->History().UndoCount(), peakMiB, pictureMiB, peakMiB / pictureMiB);
    return 0;
}

int PeakMemory() {
    ScriptedDialogService dialogs;
    auto form = MakeForm(dialogs);
    File1(*form)->SetListIndex(0);
    form->Action("mnuReal")->trigger();
    form->Action("mnuGamma")->trigger();
    form->Action("mnuShade")->trigger();
    const double peakMiB = bench::PeakResidentMiB();
    const double pictureMiB = bench::FrameMiB(kWidth, kHeight);
    std::printf("peak resident %.1f MiB, picture %.1f MiB, ratio %.2f\n", peakMiB, pictureMiB,
                peakMiB / pictureMiB);
    return 0;
}

}  // namespace
}  // namespace sorvenal

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--peak-memory") == 0) return sorvenal::PeakMemory();
    if (argc > 1 && std::strcmp(argv[1], "--peak-memory-history") == 0)
        return sorvenal::PeakMemoryWithHistory();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
