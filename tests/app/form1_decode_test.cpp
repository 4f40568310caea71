// Selection shows the preview at once and the full picture follows from a worker; commands
// wait for it, a newer selection drops an older decode, and the show only previews.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "app/form1_text.h"
#include "app/main_window.h"
#include "app/preview_image.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"
#include "viewers/continuous_show.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;

// The real decoder behind a gate the test opens; it can also be told to fail.
struct HeldDecoder {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    bool fail = false;
    std::vector<QString> started;

    PictureLoader::Decoder Function() {
        return [this](const NativePath& path, const std::atomic<bool>& cancel) {
            {
                std::unique_lock lock(mutex);
                started.push_back(QFileInfo(ShownPath(path)).fileName());
                changed.wait(lock, [&] { return open || cancel.load(); });
                if (fail) return ReadResult{QImage(), {PictureError::Corrupt}};
            }
            return ReadPicture(path, ReadOptions{&cancel, true});
        };
    }
    // Previews pass at once unless held; a held one waits for OpenPreviews or its cancel.
    bool previewsHeld = false;
    std::vector<QString> previewsCancelled;
    PictureLoader::PreviewDecoder PreviewFunction() {
        return [this](const NativePath& path, const QSize& box, const std::atomic<bool>& cancel) {
            {
                std::unique_lock lock(mutex);
                while (previewsHeld && !cancel.load())
                    changed.wait_for(lock, std::chrono::milliseconds(5));
                if (cancel.load())
                    previewsCancelled.push_back(QFileInfo(ShownPath(path)).fileName());
            }
            return ReadPreview(path, box, &cancel);
        };
    }
    void HoldPreviews(bool held) {
        const std::lock_guard lock(mutex);
        previewsHeld = held;
        changed.notify_all();
    }
    std::vector<QString> PreviewsCancelled() {
        const std::lock_guard lock(mutex);
        return previewsCancelled;
    }
    void Open() {
        const std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    std::vector<QString> Started() {
        const std::lock_guard lock(mutex);
        return started;
    }
};

class Form1DecodeTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        a = GradientPicture(300, 200);
        b = GradientPicture(120, 260);
        Write("a.jpg", a);
        Write("b.JPEG", b);
        Form1Options options;
        options.fullDecoder = decoder.Function();
        options.previewDecoder = decoder.PreviewFunction();
        options.showPause = [this](int) { return onPause ? onPause() : true; };
        Browse(std::move(options));
        ASSERT_EQ(File1(*form)->ListCount(), 2);
    }
    void TearDown() override {
        decoder.Open();
        decoder.HoldPreviews(false);
        form.reset();
    }
    QImage Decoded(const char* name) {
        return ReadPicture(QDir(folder).filePath(QString::fromLatin1(name))).image;
    }

    QImage a, b;
    HeldDecoder decoder;
    std::function<bool()> onPause;
};

TEST_F(Form1DecodeTest, PreviewAndCaptionComeBeforeTheFullPicture) {
    ASSERT_TRUE(File1(*form)->SetListIndex(0));
    test::WaitPreview(*form);
    EXPECT_EQ(Label5(*form)->text(), SizeCaption(300, 200));
    EXPECT_TRUE(Image1(*form)->HasPicture());
    EXPECT_TRUE(Image1(*form)->isVisible());
    EXPECT_LE(Image1(*form)->Picture().width(), 160 * form->devicePixelRatioF());
    EXPECT_FALSE(Picture1(*form)->HasPicture());  // still being decoded, so no command has it
    EXPECT_EQ(Image1(*form)->geometry(), QRect(16, 90 - 53, 160, 106));

    decoder.Open();
    QElapsedTimer waited;
    waited.start();
    while (!Picture1(*form)->HasPicture() && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(FirstDifference(Decoded("a.jpg"), Picture1(*form)->Image()), QString());
    EXPECT_EQ(FirstDifference(Decoded("a.jpg"), Picture2(*form)->Image()), QString());
}

TEST_F(Form1DecodeTest, ANewerSelectionNeverShowsTheOlderPicture) {
    ASSERT_TRUE(File1(*form)->SetListIndex(0));
    ASSERT_TRUE(File1(*form)->SetListIndex(1));
    test::WaitPreview(*form);
    EXPECT_EQ(Label5(*form)->text(), SizeCaption(120, 260));
    decoder.Open();
    test::WaitFull(*form);
    QApplication::processEvents();  // a late word from the older decode changes nothing
    EXPECT_EQ(FirstDifference(Decoded("b.JPEG"), Picture1(*form)->Image()), QString());
    EXPECT_EQ(Image1(*form)->Picture().height(), 160);
    EXPECT_EQ(Label5(*form)->text(), SizeCaption(120, 260));
}

TEST_F(Form1DecodeTest, ARetouchRightAfterSelectionWaitsForTheWholePicture) {
    ASSERT_TRUE(File1(*form)->SetListIndex(1));
    // Let through while the command waits under the busy indicator.
    std::thread opener([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        decoder.Open();
    });
    form->Action("mnuReal")->trigger();
    opener.join();
    ASSERT_TRUE(Picture2(*form)->isVisible());
    EXPECT_EQ(FirstDifference(Decoded("b.JPEG"), Picture2(*form)->Image()), QString());
    EXPECT_EQ(form->windowTitle(), kProgramCaption);
    form->Action("mnuDark")->trigger();
    EXPECT_NE(FirstDifference(Decoded("b.JPEG"), Picture2(*form)->Image()), QString());
}

TEST_F(Form1DecodeTest, AFullDecodeThatFailsEndsAsAnUnreadableSelection) {
    decoder.fail = true;
    ASSERT_TRUE(File1(*form)->SetListIndex(0));
    test::WaitPreview(*form);
    EXPECT_EQ(Label5(*form)->text(), SizeCaption(300, 200));
    decoder.Open();
    form->Action("mnuReal")->trigger();
    EXPECT_EQ(Label5(*form)->text(), kUnreadablePicture);
    EXPECT_FALSE(Image1(*form)->isVisible());
    EXPECT_FALSE(Picture1(*form)->HasPicture());
    EXPECT_FALSE(Picture2(*form)->isVisible());  // the retouch view did not open
    EXPECT_TRUE(File1(*form)->isVisible());
}

TEST_F(Form1DecodeTest, TheShowOnlyPreviewsAndDecodesThePictureItEndsOn) {
    decoder.Open();
    std::vector<QString> captions;
    onPause = [&] {
        test::WaitPreview(*form);  // the show's real pause lets it in
        captions.push_back(Label5(*form)->text());
        EXPECT_TRUE(decoder.Started().empty());
        return true;
    };
    Option1(*form)->setChecked(true);
    test::Click(Label8(*form));
    EXPECT_EQ(captions, (std::vector<QString>{SizeCaption(300, 200), SizeCaption(120, 260)}));
    test::WaitFull(*form);
    EXPECT_EQ(decoder.Started(), (std::vector<QString>{"b.JPEG"}));
    EXPECT_EQ(FirstDifference(Decoded("b.JPEG"), Picture2(*form)->Image()), QString());
}

TEST_F(Form1DecodeTest, PreviewsDecodeBesideTheWindowAndANewerSelectionCutsThemShort) {
    decoder.Open();
    decoder.HoldPreviews(true);
    ASSERT_TRUE(File1(*form)->SetListIndex(0));
    // The selection returned while its preview is held back: nothing old or half shown.
    EXPECT_TRUE(form->PreviewPending());
    EXPECT_EQ(Label5(*form)->text(), QString());
    EXPECT_FALSE(Image1(*form)->isVisible());
    bool answered = false;
    QTimer::singleShot(0, form.get(), [&] { answered = true; });
    QTest::qWait(30);
    EXPECT_TRUE(answered);  // the window's events run meanwhile

    ASSERT_TRUE(File1(*form)->SetListIndex(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !decoder.PreviewsCancelled().empty(); }, 5000));
    EXPECT_EQ(decoder.PreviewsCancelled().front(), "a.jpg");
    decoder.HoldPreviews(false);
    test::WaitPreview(*form);
    EXPECT_EQ(Label5(*form)->text(), SizeCaption(120, 260));
    test::WaitFull(*form);
    EXPECT_EQ(FirstDifference(Decoded("b.JPEG"), Picture1(*form)->Image()), QString());

    // A command right after a selection waits for the preview, then for the picture.
    decoder.HoldPreviews(true);
    ASSERT_TRUE(File1(*form)->SetListIndex(0));
    std::thread opener([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        decoder.HoldPreviews(false);
    });
    form->Action("mnuReal")->trigger();
    opener.join();
    ASSERT_TRUE(Picture2(*form)->isVisible());
    EXPECT_EQ(FirstDifference(Decoded("a.jpg"), Picture2(*form)->Image()), QString());
}

TEST(Form1PicturePatterns, JpegUnderEveryExtensionPngWebpAndPhoneFormatsAreListed) {
    QTemporaryDir folder;
    for (const char* name :
         {"a.jpg", "b.JPEG", "c.jpe", "d.JFIF", "e.Png", "f.webp", "g.bmp", "h.gif", "i.tif",
          "j.jpeg.txt", "k.jpg2", "l.HEIC", "m.heif", "n.Hif", "o.AVIF", "p.jxl", "q.heic.part"})
        test::WriteGarbage(folder.path(), QString::fromLatin1(name));
    FileList files;
    files.SetPattern(kPicturePattern);
    files.SetPath(folder.path());
    QStringList listed;
    for (int i = 0; i < files.ListCount(); ++i) listed << files.List(i);
    EXPECT_EQ(listed, QStringList({"a.jpg", "b.JPEG", "c.jpe", "d.JFIF", "e.Png", "f.webp", "g.bmp",
                                   "h.gif", "l.HEIC", "m.heif", "n.Hif", "o.AVIF", "p.jxl"}));
}

}  // namespace
}  // namespace sorvenal
