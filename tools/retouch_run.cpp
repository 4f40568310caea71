#include "tools/retouch_run.h"

#include <sys/stat.h>

#include "app/undo_journal.h"
#include "effects/circle_effects.h"
#include "engine/auto_retouch.h"
#include "engine/retouch_commands.h"
#include "platform/canvas_image.h"
#include "platform/error_texts.h"
#include "platform/exif_block.h"
#include "platform/picture_io.h"
#include "platform/picture_writers.h"

namespace sorvenal {

namespace {

// Two names of one file, links followed: what a write to `b` would land on.
bool SameFileFollowed(const NativePath& a, const NativePath& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.constData(), &sa) == 0 && ::stat(b.constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string StepName(const HistoryStep& step) {
    switch (step.kind) {
        case HistoryStep::Kind::Command:
            return std::string(RetouchCommandName(step.command));
        case HistoryStep::Kind::Skin:
            return step.skin.Dw == 0 ? "skin" : "skin-normal";
        case HistoryStep::Kind::Circle:
            return std::string(CircleEffectName(step.effect));
        case HistoryStep::Kind::Revert:
            return "revert";
    }
    return {};
}

}  // namespace

bool ApplyRetouchSteps(QImage& canvas, const std::vector<RetouchStep>& steps,
                       const RetouchReport& report, std::string& error) {
    // A click can only land on the picture; a sample taken off it would be no skin at all.
    for (const RetouchStep& step : steps) {
        if (step.kind == RetouchStep::Kind::Skin &&
            (step.x < 0 || step.y < 0 || step.x >= canvas.width() || step.y >= canvas.height())) {
            error = "肌の位置が画像の外です (" + std::to_string(canvas.width()) + " × " +
                    std::to_string(canvas.height()) + "): " + step.text;
            return false;
        }
    }
    const CanvasView view = ViewOf(canvas);
    SkinState skin;
    RandomSequence random;
    const int count = static_cast<int>(steps.size());
    for (int i = 0; i < count; ++i) {
        const RetouchStep& step = steps[i];
        if (report.stepStarted) report.stepStarted(i, count, step.text);
        switch (step.kind) {
            case RetouchStep::Kind::Command:
                RunRetouchCommand(view, step.command, report.progress);
                break;
            case RetouchStep::Kind::Skin:
                skin.Dw = step.skinNormal ? 1 : 0;
                SkinClickRetouchPixels(view, skin, step.x, step.y, report.progress);
                break;
            case RetouchStep::Kind::Circle: {
                const Circle circle{static_cast<float>(step.x), static_cast<float>(step.y),
                                    static_cast<float>(step.radius)};
                RunCircleEffect(view, step.effect, circle, random, report.progress);
                break;
            }
        }
    }
    return true;
}

int RunRetouch(const RetouchArgs& args, const RetouchReport& report, std::string& error) {
    std::optional<Journal> journal;
    if (!args.replay.empty()) {
        const NativePath path(args.replay.data(), static_cast<qsizetype>(args.replay.size()));
        journal = ReadJournal(path);
        if (!journal) {
            error = "レタッチの記録を読めないか、壊れています: " + ShownArgument(args.replay);
            return kExitUnreadable;
        }
        // Another picture under the name would give other pixels than the retouch had.
        if (SourceNow(journal->source.path) != std::optional(journal->source)) {
            error = "記録の元の画像が変更されたか、なくなっています: " +
                    ShownPath(journal->source.path).toStdString();
            return kExitUnreadable;
        }
    }
    // The arguments are the file system's bytes as given; no decoding, so any name opens.
    const NativePath in = journal
                              ? journal->source.path
                              : NativePath(args.in.data(), static_cast<qsizetype>(args.in.size()));
    const NativePath out(args.out.data(), static_cast<qsizetype>(args.out.size()));
    const std::string shownIn = ShownArgument(std::string_view(in.constData(), in.size()));
    const std::string shownOut = ShownArgument(args.out);
    // Whatever the spelling (a link, "./", another hard link), the input is never the output:
    // --force would replace the original with its retouched copy.
    if (SameFileFollowed(in, out)) {
        error = "入力ファイルと出力ファイルが同じファイルです: " + shownIn + " と " + shownOut;
        return kExitUsage;
    }
    // Checked early so a long decode is not wasted; the write checks again at the very end.
    if (!args.force && PathExists(out)) {
        error = "出力ファイルが既にあります (--force で置き換え): " + shownOut;
        return kExitExists;
    }
    ReadResult read = ReadPicture(in);
    if (!read.ok()) {
        error = shownIn + ": " + PictureErrorText(read.failure).toStdString();
        return kExitUnreadable;
    }
    if (journal) {
        const QImage original = read.image.copy();
        const int count = static_cast<int>(journal->steps.size());
        for (int i = 0; i < count; ++i) {
            if (report.stepStarted) report.stepStarted(i, count, StepName(journal->steps[i]));
            ReplaySteps(read.image, std::span(journal->steps).subspan(i, 1), original,
                        report.progress);
        }
    } else if (!ApplyRetouchSteps(read.image, args.steps, report, error)) {
        return kExitUsage;
    }
    PictureWriting how;
    switch (OutputTypeOf(args.out)) {
        case OutputType::Jpeg:
            how.format = SaveFormat::Jpeg;
            if (args.quality >= 0) how.quality = args.quality;
            break;
        case OutputType::Png:
            how.format = SaveFormat::Png;
            break;
        case OutputType::Bmp:
            break;
    }
    if (how.format != SaveFormat::Bmp)
        how.exif = ExifCarriedFrom(in, read.image.width(), read.image.height());
    const WriteResult written = WritePicture(read.image, out, how, args.force);
    if (written.status == WriteStatus::Exists) {
        error = "出力ファイルが既にあります (--force で置き換え): " + shownOut;
        return kExitExists;
    }
    if (!written.ok()) {
        error = shownOut + ": 書き込めません: " + PictureErrorText(written.failure).toStdString();
        return kExitWriteFailed;
    }
    return kExitOk;
}

}  // namespace sorvenal
