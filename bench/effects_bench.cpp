// Circle commands and saving, each against the plain work it wraps, measured in the same run:
//   saving a 24-megapixel picture   vs  one write() of a buffer of the same byte count
//   a circle command (whole picture) vs  the engine pass alone on the same picture
// Run: build/bench/effects_bench --benchmark_min_time=0.5
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "effects/circle_commands.h"
#include "platform/busy_indicator.h"
#include "platform/canvas_image.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "savehelp/save_image.h"
#include "tests/support/scripted_dialogs.h"

namespace sorvenal {
namespace {

QImage NoisePicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t state = 12345u;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = 0xFF000000u | (state >> 8);
        }
    }
    return image;
}

constexpr int kSaveWidth = 6000, kSaveHeight = 4000;  // 24 megapixels

// The bytes a 24-bit BMP of that size holds: headers plus rows padded to four bytes.
qint64 BmpBytes(int width, int height) {
    return 54 + static_cast<qint64>((width * 3 + 3) & ~3) * height;
}

void BM_SaveImageAsBitmap(benchmark::State& state) {
    QTemporaryDir tmp(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    FolderList Dir1;
    FileList File1;
    Dir1.SetPath(tmp.path());
    PictureBox Picture2;
    Picture2.SetPicture(NoisePicture(kSaveWidth, kSaveHeight));
    ScriptedDialogService dialogs;
    bool DirCancel = true;
    SaveChoice choice;
    const QString name = tmp.filePath(QStringLiteral("saved"));
    for (auto _ : state) {
        dialogs.saveAnswers.push_back(name);
        SaveImage({DirCancel, &Dir1, &File1, &Picture2, dialogs, nullptr, {}, choice});
        state.PauseTiming();
        if (!dialogs.messages.isEmpty()) {
            state.SkipWithError(dialogs.messages.front().toStdString().c_str());
            break;
        }
        QFile::remove(name + QStringLiteral(".BMP"));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * BmpBytes(kSaveWidth, kSaveHeight));
}
BENCHMARK(BM_SaveImageAsBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();

// The picture writer alone, to tell its share from the command's own (dialog, checks, relist).
void BM_WriteBmp24Alone(benchmark::State& state) {
    QTemporaryDir tmp(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const QImage picture = NoisePicture(kSaveWidth, kSaveHeight);
    const QString path = tmp.filePath(QStringLiteral("alone.BMP"));
    for (auto _ : state) {
        if (!WriteBmp24(picture, path, false).ok()) {
            state.SkipWithError("write failed");
            break;
        }
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * BmpBytes(kSaveWidth, kSaveHeight));
}
BENCHMARK(BM_WriteBmp24Alone)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainWriteSameBytes(benchmark::State& state) {
    QTemporaryDir tmp(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const std::vector<char> buffer(static_cast<size_t>(BmpBytes(kSaveWidth, kSaveHeight)), 7);
    const QByteArray path = tmp.filePath(QStringLiteral("plain.bin")).toLocal8Bit();
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 ||
            ::write(fd, buffer.data(), buffer.size()) != static_cast<ssize_t>(buffer.size())) {
            state.SkipWithError("write failed");
            break;
        }
        ::close(fd);
        state.PauseTiming();
        ::unlink(path.constData());
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(buffer.size()));
}
BENCHMARK(BM_PlainWriteSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

// 24 megapixels: ns per pixel = ms per iteration / 24.
constexpr int kEffectWidth = 6000, kEffectHeight = 4000;
const Circle kCircle{3000, 2000, 1400};

void BM_CircleCommand(benchmark::State& state) {
    const auto effect = static_cast<CircleEffect>(state.range(0));
    PictureBox Picture2, Picture3;
    Picture3.SetPicture(NoisePicture(kEffectWidth, kEffectHeight));
    Picture2.SetPicture(Picture3.Picture());
    RandomSequence random;
    ScriptedDialogService dialogs;
    const BusyFeedback quiet;
    const CircleCommandContext context{&Picture2, &Picture3, kCircle, random,
                                       dialogs,   nullptr,   quiet,   [] {}};
    for (auto _ : state) RunCircleCommand(context, effect);
}

void BM_CircleEnginePass(benchmark::State& state) {
    const auto effect = static_cast<CircleEffect>(state.range(0));
    QImage picture = NoisePicture(kEffectWidth, kEffectHeight);
    const CanvasView view = ViewOf(picture);
    RandomSequence random;
    for (auto _ : state) RunCircleEffect(view, effect, kCircle, random);
}

void EffectArgs(benchmark::internal::Benchmark* b) {
    b->ArgName("effect")
        ->Arg(static_cast<int>(CircleEffect::Spotlight))
        ->Arg(static_cast<int>(CircleEffect::Picture))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
BENCHMARK(BM_CircleCommand)->Apply(EffectArgs);
BENCHMARK(BM_CircleEnginePass)->Apply(EffectArgs);

}  // namespace
}  // namespace sorvenal
