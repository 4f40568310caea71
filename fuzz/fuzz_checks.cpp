#include "fuzz/fuzz_checks.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/error_texts.h"
#include "platform/exif_block.h"
#include "platform/picture_io.h"
#include "tools/retouch_args.h"

namespace sorvenal::fuzz {
namespace {

bool WriteInput(const QString& path, const std::uint8_t* data, std::size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto length = static_cast<qint64>(size);
    return file.write(reinterpret_cast<const char*>(data), length) == length;
}

std::string Size(const QImage& image) {
    return std::to_string(image.width()) + "x" + std::to_string(image.height());
}

// What the rest of the program relies on for any result of ReadPicture.
std::string CheckReadResult(const ReadResult& r) {
    if (!r.ok()) {
        if (!r.failure.failed()) return "refused without a reason";
        return PictureErrorText(r.failure).isEmpty() ? "a reason without words" : std::string();
    }
    if (r.failure.failed()) return "a picture and an error at once";
    if (r.image.format() != QImage::Format_RGB32)
        return "format " + std::to_string(r.image.format()) + " instead of RGB32";
    const qint64 w = r.image.width(), h = r.image.height();
    if (w > kMaxPictureSide || h > kMaxPictureSide || w * h > kMaxPicturePixels)
        return "accepted a picture beyond the limits: " + Size(r.image);
    return std::string();
}

}  // namespace

std::string CheckPictureRead(const std::uint8_t* data, std::size_t size, const QString& folder) {
    const QString path = folder + "/input";
    if (!WriteInput(path, data, size)) return "cannot write the input file";
    return CheckReadResult(ReadPicture(path));
}

std::string CheckBmpRoundTrip(const std::uint8_t* data, std::size_t size, const QString& folder) {
    const QString path = folder + "/input";
    if (!WriteInput(path, data, size)) return "cannot write the input file";
    const ReadResult first = ReadPicture(path);
    if (std::string problem = CheckReadResult(first); !problem.empty()) return problem;
    if (!first.ok()) return std::string();

    const QString bmp = folder + "/round-trip.bmp";
    const WriteResult written = WriteBmp24(first.image, bmp, true);
    if (!written.ok()) return "write failed: " + PictureErrorText(written.failure).toStdString();
    const qint64 rowBytes = (qint64{first.image.width()} * 3 + 3) / 4 * 4;
    if (QFile(bmp).size() != 54 + rowBytes * first.image.height())
        return "file size " + std::to_string(QFile(bmp).size()) + " for " + Size(first.image);
    const ReadResult second = ReadPicture(bmp);
    if (!second.ok())
        return "written BMP refused: " + PictureErrorText(second.failure).toStdString();
    if (second.image.size() != first.image.size())
        return "size " + Size(first.image) + " came back as " + Size(second.image);
    for (int y = 0; y < first.image.height(); ++y) {
        const auto* a = reinterpret_cast<const quint32*>(first.image.constScanLine(y));
        const auto* b = reinterpret_cast<const quint32*>(second.image.constScanLine(y));
        for (int x = 0; x < first.image.width(); ++x) {
            if ((a[x] & 0xFFFFFFu) != (b[x] & 0xFFFFFFu))
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " changed from " +
                       std::to_string(a[x] & 0xFFFFFFu) + " to " + std::to_string(b[x] & 0xFFFFFFu);
        }
    }
    return std::string();
}

namespace {

// The number a step field must be read as, by other means than the parser: optional minus,
// digits only, magnitude within the limit. False when the field is not such a number.
bool ReferenceNumber(const std::string& field, long long limit, long long& value) {
    const size_t digits = field.starts_with('-') ? 1 : 0;
    if (field.size() == digits) return false;
    for (size_t i = digits; i < field.size(); ++i)
        if (field[i] < '0' || field[i] > '9') return false;
    errno = 0;
    value = std::strtoll(field.c_str(), nullptr, 10);
    if (errno == ERANGE) return false;
    return value >= -limit && value <= limit;
}

std::vector<std::string> Fields(const std::string& values) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = values.find(',', start);
        fields.push_back(values.substr(start, comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

// A step that parsed must hold the numbers its text spells, within their limits.
std::string CheckStep(const RetouchStep& step) {
    if (step.kind == RetouchStep::Kind::Command) {
        if (step.text.find('=') != std::string::npos) return "command with values: " + step.text;
        return std::string();
    }
    const size_t equals = step.text.find('=');
    if (equals == std::string::npos) return "step without values: " + step.text;
    const std::vector<std::string> fields = Fields(step.text.substr(equals + 1));
    const bool circle = step.kind == RetouchStep::Kind::Circle;
    const size_t count = circle ? 3 : 2;
    if (fields.size() != count) return "wrong number of values: " + step.text;
    const long long parsed[3] = {step.x, step.y, step.radius};
    for (size_t i = 0; i < count; ++i) {
        long long expected = 0;
        if (!ReferenceNumber(fields[i], i == 2 ? kMaxStepRadius : kMaxStepCoordinate, expected))
            return "accepted a value out of range or malformed: " + step.text;
        if (parsed[i] != expected)
            return "value " + std::to_string(i) + " read as " + std::to_string(parsed[i]) +
                   " from " + step.text;
    }
    if (circle && step.radius < 1) return "radius below 1: " + step.text;
    return std::string();
}

}  // namespace

std::string CheckRetouchArgs(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    const RetouchArgsResult r = ParseRetouchArgs(args);
    if (!r.ok()) {
        if (r.error.find('\n') != std::string::npos) return "error of more than one line";
        return std::string();
    }
    if (r.args.help || r.args.version) return std::string();  // nothing to check: no files
    // A replay takes its source and steps from the journal: a journal and an output, no more.
    if (!r.args.replay.empty()) {
        if (r.args.out.empty()) return "accepted an empty file name";
        if (!r.args.in.empty() || !r.args.steps.empty()) return "a replay took steps or an input";
        return std::string();
    }
    if (r.args.in.empty() || r.args.out.empty()) return "accepted an empty file name";
    if (r.args.steps.empty()) return "accepted no steps";
    for (const RetouchStep& step : r.args.steps) {
        if (std::string problem = CheckStep(step); !problem.empty()) return problem;
        // The step's own text, parsed alone, gives the same step.
        RetouchStep again;
        std::string error;
        if (!ParseRetouchStep(step.text, again, error)) return "step refused alone: " + step.text;
        if (again.kind != step.kind || again.command != step.command ||
            again.effect != step.effect || again.skinNormal != step.skinNormal ||
            again.x != step.x || again.y != step.y || again.radius != step.radius)
            return "step parsed differently alone: " + step.text;
    }
    return std::string();
}

std::string CheckExifRewrite(const std::uint8_t* data, std::size_t size) {
    const QByteArray block(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray once = ExifForSavedPicture(block, 640, 480);
    if (once.isEmpty()) return std::string();
    if (once.size() > block.size()) return "the rewrite grew the block";
    if (once.left(4) != block.left(4)) return "the byte order or the TIFF mark changed";
    const QByteArray twice = ExifForSavedPicture(once, 640, 480);
    if (twice != once) return "a second rewrite changed what the first one gave";
    return std::string();
}

}  // namespace sorvenal::fuzz
