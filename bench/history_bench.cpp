// The history of steps on a 6000 x 4000 photo with 200 mixed steps recorded: undo and redo of
// the last ten and of the oldest step, the journal's write after a step, and recovery with 50
// steps until the picture is painted; one frame's memcpy and single passes as yardsticks. The
// history's memory against the picture is printed as counters of BM_UndoLastTen.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "app/main_window.h"
#include "app/undo_history_steps.h"
#include "app/undo_journal.h"
#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/photo_jpeg.h"
#include "platform/canvas_image.h"
#include "platform/file_system.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"

namespace sorvenal {
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kSteps = 200;

// Mixed as a user retouches: table commands, whole-picture passes, skin clicks, circle effects
// (the red one drawing from the sequence), one revert.
HistoryStep MixedStep(int i, const RandomSequence& random) {
    static constexpr RetouchCommand kCommands[] = {
        RetouchCommand::Gamma,      RetouchCommand::Lighten,  RetouchCommand::Sharpen,
        RetouchCommand::ContrastUp, RetouchCommand::Saturate, RetouchCommand::Darken,
        RetouchCommand::Whiten,     RetouchCommand::Backlight};
    if (i == 100) return HistoryStep::OfRevert();
    if (i % 10 == 3) return HistoryStep::OfSkin(SkinState{.Dw = i % 2}, 3000, 2000);
    if (i % 5 == 1) {
        const Circle circle{static_cast<float>(500 + 25 * i), static_cast<float>(400 + 15 * i),
                            300};
        return HistoryStep::OfCircle(static_cast<CircleEffect>(i % 5 == 1 ? (i / 5) % 5 : 0),
                                     circle, random);
    }
    return HistoryStep::OfCommand(kCommands[static_cast<std::size_t>(i) % std::size(kCommands)]);
}

struct Photo {
    QTemporaryDir dir;
    QString path;
    QImage original;
    Photo() {
        path = bench::PhotoJpeg(dir.filePath("photo.jpg"), kWidth, kHeight);
        original = ReadPicture(NativeOf(path)).image.convertToFormat(QImage::Format_RGB32);
    }
};

Photo& ThePhoto() {
    static Photo photo;
    return photo;
}

// The history with the steps recorded as the window records them.
struct Recorded {
    StepHistory history;
    QImage picture;
    std::vector<HistoryStep> steps;
    explicit Recorded(int count) : picture(ThePhoto().original) {
        RandomSequence random;
        for (int i = 0; i < count; ++i) {
            HistoryStep step = MixedStep(i, random);
            history.Begin(picture);
            if (step.kind == HistoryStep::Kind::Circle) {
                RunCircleEffect(ViewOf(picture), step.effect, step.circle, random);
            } else {
                ReplaySteps(picture, std::span(&step, 1), ThePhoto().original);
            }
            steps.push_back(step);
            history.End(picture, std::move(step));
        }
    }
};

Recorded& TwoHundred() {
    static Recorded recorded(kSteps);
    return recorded;
}

void BM_MemcpyOneFrame(benchmark::State& state) { bench::MemcpyFrame(state, kWidth, kHeight); }
BENCHMARK(BM_MemcpyOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Pass(benchmark::State& state, RetouchCommand command) {
    QImage picture = ThePhoto().original.copy();
    for (auto _ : state) RunRetouchCommand(ViewOf(picture), command);
}
BENCHMARK_CAPTURE(BM_Pass, gamma, RetouchCommand::Gamma)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Pass, sharpen, RetouchCommand::Sharpen)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each of the last ten steps undone in turn; the iteration's time is the slowest undo, the
// mean is a counter. Then they are redone (the slowest redo is a counter).
void BM_UndoLastTen(benchmark::State& state) {
    Recorded& r = TwoHundred();
    const QImage& original = ThePhoto().original;
    double undoSum = 0, redoMax = 0;
    int undos = 0;
    int replayedMax = 0;
    for (auto _ : state) {
        double slowest = 0;
        for (int i = 0; i < 10; ++i) {
            const double s =
                Seconds([&] { r.picture = r.history.Undo(std::move(r.picture), original); });
            slowest = std::max(slowest, s);
            undoSum += s;
            ++undos;
            replayedMax = std::max(replayedMax, r.history.LastReplayed());
        }
        for (int i = 0; i < 10; ++i)
            redoMax = std::max(redoMax, Seconds([&] {
                                   r.picture = r.history.Redo(std::move(r.picture), original);
                               }));
        state.SetIterationTime(slowest);
    }
    state.counters["undo_mean_ms"] = 1000 * undoSum / std::max(1, undos);
    state.counters["redo_max_ms"] = 1000 * redoMax;
    state.counters["steps_replayed_max"] = replayedMax;
    state.counters["history_MiB"] = static_cast<double>(r.history.Bytes()) / (1 << 20);
    state.counters["picture_MiB"] = static_cast<double>(r.picture.sizeInBytes()) / (1 << 20);
    state.counters["steps"] = r.history.UndoCount();
    // What one step took as recorded, on average: the pass the last ten are measured against.
    double recorded = 0;
    for (const HistoryStep& step : r.history.Done()) recorded += step.seconds;
    state.counters["step_mean_ms"] = 1000 * recorded / std::max(1, r.history.UndoCount());
}
BENCHMARK(BM_UndoLastTen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The oldest step: undone from the second state to the picture as loaded, and redone. Before
// that, the walk back from the newest step, undo after undo, and again with idle time between.
void BM_UndoOldest(benchmark::State& state) {
    Recorded& r = TwoHundred();
    const QImage& original = ThePhoto().original;
    // The walk back from the newest step: its slowest single undo is the deep undo's cost.
    double walkSlowest = 0, walk = 0;
    while (r.history.UndoCount() > 1) {
        const double s =
            Seconds([&] { r.picture = r.history.Undo(std::move(r.picture), original); });
        walkSlowest = std::max(walkSlowest, s);
        walk += s;
    }
    state.counters["walk_back_slowest_ms"] = 1000 * walkSlowest;
    state.counters["walk_back_mean_ms"] = 1000 * walk / (r.history.RedoCount());
    // Again at a person's pace: the window's idle slices (50 ms each) for 200 ms between two
    // undos.
    while (r.history.CanRedo()) r.picture = r.history.Redo(std::move(r.picture), original);
    double pacedSlowest = 0;
    while (r.history.UndoCount() > 1) {
        for (int slice = 0; slice < 4 && r.history.Prepare(original, 0.05); ++slice) {
        }
        pacedSlowest =
            std::max(pacedSlowest,
                     Seconds([&] { r.picture = r.history.Undo(std::move(r.picture), original); }));
    }
    state.counters["walk_paced_slowest_ms"] = 1000 * pacedSlowest;
    double redo = 0;
    for (auto _ : state) {
        state.SetIterationTime(
            Seconds([&] { r.picture = r.history.Undo(std::move(r.picture), original); }));
        redo = std::max(
            redo, Seconds([&] { r.picture = r.history.Redo(std::move(r.picture), original); }));
    }
    state.counters["redo_max_ms"] = 1000 * redo;
    while (r.history.CanRedo()) r.picture = r.history.Redo(std::move(r.picture), original);
}
BENCHMARK(BM_UndoOldest)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// The journal's durable write after a step, with all 200 steps in it.
void BM_WriteJournal(benchmark::State& state) {
    QTemporaryDir dir;
    const Journal journal{*SourceNow(NativeOf(ThePhoto().path)), TwoHundred().steps};
    const NativePath path = NativeOf(dir.filePath("sorvenal/retouch-1.journal"));
    for (auto _ : state) {
        if (!WriteJournal(path, journal).ok()) state.SkipWithError("journal not written");
    }
}
BENCHMARK(BM_WriteJournal)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the window's thread spends on the journal after a step: the text of 200 steps and the
// hand-off to the writer's thread (whose sync is BM_WriteJournal).
void BM_JournalAfterStep(benchmark::State& state) {
    QTemporaryDir dir;
    const Journal journal{*SourceNow(NativeOf(ThePhoto().path)), TwoHundred().steps};
    JournalWriter writer(NativeOf(dir.filePath("sorvenal/retouch-1.journal")));
    for (auto _ : state) writer.Write(JournalText(journal));
    writer.Wait();
}
BENCHMARK(BM_JournalAfterStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// A start that finds a journal of 50 steps, restores it and paints the picture.
void BM_RecoverFiftySteps(benchmark::State& state) {
    const Recorded fifty(50);
    const QByteArray state_ = qgetenv("XDG_STATE_HOME");
    QTemporaryDir home;
    qputenv("XDG_STATE_HOME", home.path().toLocal8Bit());
    const Journal journal{*SourceNow(NativeOf(ThePhoto().path)), fifty.steps};
    const NativePath left = JoinNative(JournalFolder(), "retouch-2147483600.journal");
    for (auto _ : state) {
        state.PauseTiming();
        WriteJournal(left, journal);
        test::Form1Session session(ThePhoto().dir.path());
        session.Open({.screenSize = test::FixedScreen(1920, 1080)});
        session.dialogs.yesNoAnswers = {true};
        state.ResumeTiming();
        session.form->OfferRecovery();
        test::form1::Picture2(*session.form)->repaint();
        state.PauseTiming();
        if (test::History(*session.form).UndoCount() != 50) state.SkipWithError("not restored");
        session.form.reset();
        state.ResumeTiming();
    }
    qputenv("XDG_STATE_HOME", state_);
}
BENCHMARK(BM_RecoverFiftySteps)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace sorvenal
