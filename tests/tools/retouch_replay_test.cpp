// sorvenal-retouch --replay: a journal left by the window, rendered without it.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/undo_journal.h"
#include "platform/picture_io.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

int RunTool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(SORVENAL_RETOUCH_TOOL), args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) return -1;
    return process.exitCode();
}

TEST(RetouchReplayTest, AJournalRendersAsTheWindowMadeItAndABadOneIsRefused) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source =
        test::WritePicture(dir.path(), QStringLiteral("s.bmp"), test::GradientPicture(70, 50));
    Journal journal;
    journal.source = *SourceNow(NativeOf(source));
    RandomSequence random = RandomSequence::At(12345);
    journal.steps = {HistoryStep::OfCommand(RetouchCommand::Saturate),
                     HistoryStep::OfSkin(SkinState{.Dw = 1}, 20.5, 30),
                     HistoryStep::OfCircle(CircleEffect::Red, Circle{30, 25, 12}, random),
                     HistoryStep::OfCommand(RetouchCommand::Gamma),
                     HistoryStep::OfCommand(RetouchCommand::Darken)};
    const NativePath path = NativeOf(dir.filePath(QStringLiteral("j.journal")));
    ASSERT_TRUE(WriteJournal(path, journal).ok());

    const QString out = dir.filePath(QStringLiteral("out.bmp"));
    ASSERT_EQ(RunTool({QStringLiteral("--replay"), QFile::decodeName(path), out}), 0);
    ReadResult original = ReadPicture(NativeOf(source));
    ASSERT_TRUE(original.ok());
    QImage expected = original.image.copy();
    ReplaySteps(expected, journal.steps, original.image);
    const ReadResult written = ReadPicture(NativeOf(out));
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(test::FirstDifference(expected, written.image.convertToFormat(expected.format())),
              "");

    // A source changed since, a damaged journal, a missing OUT: refused, nothing written.
    const QString again = dir.filePath(QStringLiteral("again.bmp"));
    QFile damaged(QFile::decodeName(path));
    ASSERT_TRUE(damaged.open(QIODevice::Append));
    damaged.write("revert\n");
    damaged.close();
    EXPECT_EQ(RunTool({QStringLiteral("--replay"), QFile::decodeName(path), again}), 3);
    ASSERT_TRUE(WriteJournal(path, journal).ok());
    QFile touched(source);
    ASSERT_TRUE(touched.open(QIODevice::Append));
    touched.write("x");
    touched.close();
    EXPECT_EQ(RunTool({QStringLiteral("--replay"), QFile::decodeName(path), again}), 3);
    EXPECT_EQ(RunTool({QStringLiteral("--replay"), QFile::decodeName(path)}), 2);
    EXPECT_FALSE(QFile::exists(again));
}

}  // namespace
}  // namespace sorvenal
