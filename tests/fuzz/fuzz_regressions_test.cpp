// Every input a fuzz target once failed on, replayed through the same check in the normal suite.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "fuzz/fuzz_checks.h"

namespace sorvenal::fuzz {
namespace {

using Check = std::function<std::string(const std::uint8_t*, std::size_t)>;

// Replays fuzz/regressions/<target>/*; returns how many inputs it read.
int ReplayPastFinds(const char* target, const Check& check) {
    const QDir dir(QStringLiteral(SORVENAL_FUZZ_REGRESSIONS "/") + target);
    int count = 0;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(check(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size())),
                  "")
            << target << "/" << name.toStdString();
        ++count;
    }
    return count;
}

TEST(FuzzRegressionTest, EveryPastFindIsHandled) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.path();
    // A file that once broke the reader goes through the round trip as well.
    const Check picture = [&](const std::uint8_t* data, std::size_t size) {
        const std::string read = CheckPictureRead(data, size, folder);
        return read.empty() ? CheckBmpRoundTrip(data, size, folder) : read;
    };
    const Check roundTrip = [&](const std::uint8_t* data, std::size_t size) {
        return CheckBmpRoundTrip(data, size, folder);
    };
    const int count = ReplayPastFinds("picture_read", picture) +
                      ReplayPastFinds("bmp_round_trip", roundTrip) +
                      ReplayPastFinds("retouch_args", CheckRetouchArgs) +
                      ReplayPastFinds("exif_rewrite", CheckExifRewrite);
    EXPECT_GE(count, 2) << "the finds in fuzz/regressions were not found";
}

}  // namespace
}  // namespace sorvenal::fuzz
