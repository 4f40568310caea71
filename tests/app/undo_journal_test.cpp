// The journal of unsaved work: its text both ways, damage refused, and recovery in the window.
#include "app/undo_journal.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <random>

#include "app/form1_text.h"
#include "app/main_window.h"
#include "platform/picture_box.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;

Journal SampleJournal() {
    Journal journal;
    journal.source = {QByteArray("/tmp/\x82\xa0 photo\n.jpg"), 123456, 1'700'000'000'123'456'789};
    std::mt19937 dice(5);
    RandomSequence random = RandomSequence::At(98765);
    for (int i = 0; i < 40; ++i) {
        switch (i % 4) {
            case 0:
                journal.steps.push_back(
                    HistoryStep::OfCommand(static_cast<RetouchCommand>(i % 11)));
                break;
            case 1: {
                SkinState skin{.R0 = 1, .G0 = -2, .B0 = 300, .M0 = 7, .N0 = 8, .Dw = i % 2};
                journal.steps.push_back(HistoryStep::OfSkin(skin, 10.0 / 3 + i, 0.1 * i));
                break;
            }
            case 2: {
                const Circle circle{
                    .X1 = 1.0f / 3, .Y1 = -5.25f, .rl = 17.0f + static_cast<float>(i)};
                journal.steps.push_back(
                    HistoryStep::OfCircle(static_cast<CircleEffect>(dice() % 5), circle, random));
                break;
            }
            default:
                journal.steps.push_back(HistoryStep::OfRevert());
        }
    }
    return journal;
}

TEST(UndoJournalTest, TheTextGivesBackEveryStepExactly) {
    const Journal journal = SampleJournal();
    const QByteArray text = JournalText(journal);
    EXPECT_FALSE(text.contains("\n\n"));
    const std::optional<Journal> back = ParseJournal(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->source, journal.source);
    ASSERT_EQ(back->steps.size(), journal.steps.size());
    for (std::size_t i = 0; i < journal.steps.size(); ++i)
        EXPECT_TRUE(back->steps[i] == journal.steps[i]) << i;
    EXPECT_EQ(back->steps[2].randomPosition, 98765u);
}

TEST(UndoJournalTest, ATornOrAlteredJournalIsRefused) {
    const QByteArray text = JournalText(SampleJournal());
    for (qsizetype cut = 0; cut < text.size(); ++cut)
        ASSERT_FALSE(ParseJournal(text.left(cut))) << "cut at " << cut;
    for (qsizetype at = 0; at < text.size(); at += 7) {
        QByteArray altered = text;
        altered[at] = static_cast<char>(altered[at] ^ 0x01);
        ASSERT_FALSE(ParseJournal(altered)) << "byte " << at;
    }
    EXPECT_FALSE(ParseJournal(text + "command gamma\n"));
}

class RecoveryTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        source = Write(QStringLiteral("a.bmp"), GradientPicture(61, 47));
        Browse({.screenSize = test::FixedScreen(1280, 1024)});
        Retouch(0);
    }
    void TearDown() override { form.reset(); }
    QImage Shown() const { return Picture2(*form)->Image(); }
    bool Journaled() const {
        form->WaitForJournal();
        return IsFile(OwnJournalPath());
    }
    // Work of every kind, then the journal as a process that died would leave it.
    NativePath WorkAndCrash() {
        test::Trigger(*form, "mnuGamma");
        test::Trigger(*form, "mnuClick");
        test::Trigger(*form, "mnuDefault");
        QTest::mouseClick(Picture2(*form), Qt::LeftButton, {}, {30, 20});
        test::Trigger(*form, "mnuChange");
        test::DragOnPicture(*form, {30, 20}, {45, 20});
        test::Trigger(*form, "mnuCirclered");
        test::DragOnPicture(*form, {10, 10}, {18, 10});
        test::Trigger(*form, "mnuSpotlight");
        test::Trigger(*form, "mnuChange2");
        test::Trigger(*form, "mnuSharp");
        before = Shown();
        const NativePath own = OwnJournalPath();
        EXPECT_TRUE(Journaled());
        NativePath left = JoinNative(JournalFolder(), "retouch-2147483600.journal");
        EXPECT_TRUE(CopyNoReplace(own, left).ok());
        form.reset();  // ends as normally: its own journal goes
        EXPECT_FALSE(IsFile(own));
        return left;
    }
    void Reopen() {
        Open({.screenSize = test::FixedScreen(1280, 1024)});
        dialogs.messages.clear();
        dialogs.questions.clear();
    }

    QString source;
    QImage before;
};

TEST_F(RecoveryTest, AKilledRetouchComesBackWithItsHistory) {
    const NativePath left = WorkAndCrash();
    Reopen();
    dialogs.yesNoAnswers = {true};
    form->OfferRecovery();
    EXPECT_EQ(dialogs.questions, QStringList{kRecoverQuestion});
    EXPECT_FALSE(IsFile(left));
    EXPECT_EQ(FirstDifference(before, Shown()), "");
    EXPECT_EQ(test::History(*form).UndoCount(), 5);
    // The skin click's type chosen before the crash holds for the next click.
    EXPECT_FALSE(form->Action("mnuDefault")->isEnabled());
    EXPECT_TRUE(form->Action("mnuWh")->isEnabled());
    test::Trigger(*form, "mnuUndo");
    test::Trigger(*form, "mnuRedo");
    EXPECT_EQ(FirstDifference(before, Shown()), "");
    // Still unsaved: the question stands before it is lost again, and its journal is there.
    EXPECT_TRUE(Journaled());
    dialogs.yesNoAnswers = {true};
    test::Trigger(*form, "mnuOpen2");
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_FALSE(Journaled());
}

TEST_F(RecoveryTest, AChangedSourceOrADamagedJournalIsReportedOnceAndRemoved) {
    const NativePath left = WorkAndCrash();
    const NativePath damaged = JoinNative(JournalFolder(), "retouch-2147483601.journal");
    {
        QByteArray text = *std::optional<QByteArray>(JournalText(*ReadJournal(left)));
        text.chop(3);
        QFile file(QFile::decodeName(damaged));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QFile touched(source);
    ASSERT_TRUE(touched.open(QIODevice::Append));
    touched.write("x");
    touched.close();
    Reopen();
    form->OfferRecovery();
    EXPECT_TRUE(dialogs.questions.isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages.contains(kJournalDamaged));
    EXPECT_TRUE(dialogs.messages.contains(JournalSourceChanged(source)));
    EXPECT_FALSE(IsFile(left));
    EXPECT_FALSE(IsFile(damaged));
    form->OfferRecovery();
    EXPECT_EQ(dialogs.messages.size(), 2);  // once
}

TEST_F(RecoveryTest, SavingOrDiscardingRemovesTheJournal) {
    test::Trigger(*form, "mnuDark");
    EXPECT_TRUE(Journaled());
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/saved"));
    test::Trigger(*form, "mnuSaveImage");
    EXPECT_FALSE(Journaled());
    test::Trigger(*form, "mnuDark");
    EXPECT_TRUE(Journaled());
    test::Trigger(*form, "mnuUndo");  // back at the saved picture
    EXPECT_FALSE(Journaled());
    test::Trigger(*form, "mnuDark");
    dialogs.yesNoAnswers = {true};
    test::Trigger(*form, "mnuEnd");
    EXPECT_FALSE(Journaled());
}

}  // namespace
}  // namespace sorvenal
