// Folders that other programs change while the window shows them, large folders, and the
// keyboard in the lists.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "fileops/file_dialogs.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_decode.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::GradientPicture;
using test::WritePicture;
using test::form1::Dir1;
using test::form1::File1;
using test::form1::Image1;
using test::form1::Label5;

// Runs the event loop until `done`, or for `ms` at most; returns `done()`.
bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) QTest::qWait(20);
    return done();
}

// A scripted question that runs `during` while it is asked, as a dialog would stay open.
class AskingDialogs : public ScriptedDialogService {
public:
    bool AskYesNo(QWidget* parent, const QString& text) override {
        if (during) during();
        return ScriptedDialogService::AskYesNo(parent, text);
    }
    std::function<void()> during;
};

// Calls `painted` before each paint of the widget.
class PaintSpy : public QObject {
public:
    PaintSpy(QWidget* widget, std::function<void()> painted) : painted_(std::move(painted)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted_();
        return false;
    }

private:
    std::function<void()> painted_;
};

class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = QDir(dir.path()).canonicalPath();
        for (const char* name : {"a.jpg", "b.jpg", "d.jpg"})
            WritePicture(folder, name, GradientPicture(40 + name[0] - 'a', 30));
    }
    Form1& Open(Form1Options options = {}) {
        options.screenSize = test::FixedScreen(1920, 1080);
        form = std::make_unique<Form1>(&dialogs, nullptr, NativeOf(folder), std::move(options));
        form->SetQuitHook([] {});
        form->show();
        test::Trigger(*form, "mnuOpen");
        return *form;
    }
    void Select(const char* name) {
        ASSERT_TRUE(form->SelectPicture(name));
        test::WaitPreview(*form);
    }
    QString Path(const QString& name) const { return QDir(folder).filePath(name); }
    QStringList Listed() const {
        QStringList names;
        for (int i = 0; i < File1(*form)->ListCount(); ++i) names << File1(*form)->List(i);
        return names;
    }

    QTemporaryDir dir;
    QString folder;
    AskingDialogs dialogs;
    std::unique_ptr<Form1> form;
};

// Another program creates, removes and renames: the lists follow, the selection and the
// picture on display stay unless the selected file itself went.
TEST_F(FoldersTest, ListsFollowTheDiskAndKeepTheSelection) {
    struct Case {
        const char* what;
        QString change;  // "+name" made (a folder for "name/"), "-name" removed, "a>b" renamed
        QStringList listed;
        QString selected;  // empty: the selection and the display were cleared
    };
    const QString lf = QString(QChar(0x21B5));
    const std::vector<Case> cases = {
        {"created", "+c.jpg", {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}, "b.jpg"},
        {"removed", "-a.jpg", {"b.jpg", "d.jpg"}, "b.jpg"},
        {"renamed", "a.jpg>z.jpg", {"b.jpg", "d.jpg", "z.jpg"}, "b.jpg"},
        {"a folder made", "+sub/", {"a.jpg", "b.jpg", "d.jpg"}, "b.jpg"},
        {"a newline in a name",
         "+x\ny.jpg",
         {"a.jpg", "b.jpg", "d.jpg", "x" + lf + "y.jpg"},
         "b.jpg"},
        {"the selected file removed", "-b.jpg", {"a.jpg", "d.jpg"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Open();
        Select("b.jpg");
        const QString name = c.change.mid(1);
        if (c.change.endsWith('/'))
            QDir(folder).mkdir(name);
        else if (c.change.startsWith('+'))
            QFile(Path(name)).open(QIODevice::WriteOnly);
        else if (c.change.startsWith('-'))
            QFile::remove(Path(name));
        else
            QFile::rename(Path(c.change.section('>', 0, 0)), Path(c.change.section('>', 1)));
        const bool subfolder = c.change.endsWith('/');
        auto subShown = [&] {
            return Dir1(*form)->item(Dir1(*form)->count() - 1)->text().trimmed() == "sub";
        };
        EXPECT_TRUE(WaitFor([&] { return Listed() == c.listed && subShown() == subfolder; }))
            << Listed().join(",").toStdString();
        EXPECT_EQ(File1(*form)->FileName(), c.selected);
        EXPECT_EQ(Image1(*form)->HasPicture(), !c.selected.isEmpty());
        EXPECT_EQ(Label5(*form)->text().isEmpty(), c.selected.isEmpty());
        form.reset();
        dir.remove();
        ASSERT_TRUE(QDir().mkpath(folder));
    }
}

// A command's dialog, a modal window and the show hold a change back until they end.
TEST_F(FoldersTest, ChangesWaitForCommandsDialogsAndTheShow) {
    QStringList shownByShow;
    bool removedDuringShow = false;
    Form1Options options;
    options.showPause = [&](int) {
        if (!removedDuringShow) {
            removedDuringShow = QFile::remove(Path("b.jpg"));
            QTest::qWait(600);
            EXPECT_EQ(Listed(), QStringList({"a.jpg", "b.jpg", "d.jpg"}));
        }
        return true;
    };
    Open(std::move(options));
    Select("a.jpg");
    dialogs.during = [&] {
        WritePicture(folder, "c.jpg", GradientPicture(8, 8));
        QTest::qWait(600);
        EXPECT_EQ(File1(*form)->ListCount(), 3);
    };
    test::Trigger(*form, "mnuDelete");  // answered No
    EXPECT_TRUE(WaitFor([&] { return File1(*form)->ListCount() == 4; }));

    QDialog modal(form.get());
    QTimer::singleShot(0, &modal, [&] {
        QFile::remove(Path("c.jpg"));
        QTest::qWait(600);
        EXPECT_EQ(File1(*form)->ListCount(), 4);
        modal.accept();
    });
    modal.exec();
    EXPECT_TRUE(WaitFor([&] { return File1(*form)->ListCount() == 3; }));

    // The show pages through the list as it was and skips the picture that went.
    QObject::connect(File1(*form), &FileList::Click,
                     [&] { shownByShow << File1(*form)->FileName(); });
    test::Click(test::form1::Label8(*form));
    EXPECT_EQ(shownByShow, QStringList({"a.jpg", "a.jpg", "d.jpg"}));  // 最初から: a twice
    EXPECT_TRUE(WaitFor([&] { return Listed() == QStringList({"a.jpg", "d.jpg"}); }));
    EXPECT_EQ(File1(*form)->FileName(), "d.jpg");
}

TEST_F(FoldersTest, ShownFolderRemovedGoesToTheNearestParent) {
    const QString outer = folder;
    folder = outer + "/one/two";
    ASSERT_TRUE(QDir().mkpath(folder));
    WritePicture(folder, "e.jpg", GradientPicture(8, 8));
    Open();
    Select("e.jpg");
    QDir(outer + "/one").removeRecursively();
    EXPECT_TRUE(WaitFor([&] { return Dir1(*form)->Path() == outer; }));
    EXPECT_EQ(Listed(), QStringList({"a.jpg", "b.jpg", "d.jpg"}));
    EXPECT_FALSE(Image1(*form)->HasPicture());
    EXPECT_EQ(Label5(*form)->text(), QString());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(outer + "/one/two"));
}

// F5 re-reads at once, where no notice comes; a character key does not.
TEST_F(FoldersTest, F5ReadsTheFolderByHand) {
    Open();
    auto* reload = form->findChild<QAction*>("Form_Reload");
    ASSERT_NE(reload, nullptr);
    EXPECT_EQ(reload->shortcut(), QKeySequence(Qt::Key_F5));
    WritePicture(folder, "c.jpg", GradientPicture(8, 8));
    reload->trigger();
    EXPECT_EQ(File1(*form)->ListCount(), 4);
}

// The start picture's preview was decoded while the window was built: it is there at once.
TEST_F(FoldersTest, DownRightAfterAStartWithAPictureShowsTheNext) {
    Open({.startPicture = NativeOf(Path("b.jpg"))});
    form->StartWithPicture("b.jpg");
    EXPECT_FALSE(form->PreviewPending());
    EXPECT_EQ(Label5(*form)->text(), QStringLiteral("    W X H = 41 X 30"));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ASSERT_TRUE(File1(*form)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(File1(*form)->FileName(), "d.jpg");
    test::WaitPreview(*form);
    EXPECT_EQ(Label5(*form)->text(), QStringLiteral("    W X H = 43 X 30"));
}

// Started on a picture, the first paint shows its preview before the folder is listed or the
// picture decoded whole; once the events have run, both lists are complete and the selection,
// the keyboard and the full decode are on the start picture (or cleared with the display when
// the picture went meanwhile).
TEST_F(FoldersTest, AStartWithAPicturePaintsThePreviewBeforeTheRest) {
    struct Case {
        const char* what;
        bool removed;
        QStringList listed;
    };
    const std::vector<Case> cases = {
        {"the picture stays", false, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}},
        {"the picture went before the listing", true, {"a.jpg", "c.jpg", "d.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WritePicture(folder, "b.jpg", GradientPicture(41, 30));
        WritePicture(folder, "c.jpg", GradientPicture(42, 30));
        ASSERT_TRUE(QDir(folder).mkpath("sub"));
        auto fullDecodes = std::make_shared<std::atomic<int>>(0);
        Form1Options options{.startPicture = NativeOf(Path("b.jpg"))};
        options.fullDecoder = [fullDecodes](const NativePath& path,
                                            const std::atomic<bool>& cancel) {
            ++*fullDecodes;
            return ReadPicture(path, ReadOptions{&cancel, true});
        };
        options.screenSize = test::FixedScreen(1920, 1080);
        form = std::make_unique<Form1>(&dialogs, nullptr, NativeOf(folder), std::move(options));
        form->SetQuitHook([] {});
        form->show();
        form->StartWithPicture("b.jpg");
        if (c.removed) {
            ASSERT_TRUE(QFile::remove(Path("b.jpg")));
        }

        struct AtFirstPaint {
            bool seen = false;
            bool preview = false;
            int files = 0;
            int folders = 0;
            int fullDecodes = 0;
        } first;
        PreviewImage* preview = Image1(*form);
        PaintSpy spy(preview, [&] {
            if (first.seen) return;
            first = {true, preview->HasPicture(), File1(*form)->ListCount(), Dir1(*form)->count(),
                     fullDecodes->load()};
        });
        ASSERT_TRUE(WaitFor([&] { return first.seen && Listed() == c.listed; }));
        EXPECT_TRUE(first.preview);
        EXPECT_EQ(first.files, 1);  // the start picture only
        EXPECT_EQ(first.fullDecodes, 0);
        const int ancestors = first.folders;
        EXPECT_EQ(Dir1(*form)->count(), ancestors + 1);  // "sub" below the folder
        EXPECT_EQ(File1(*form)->FileName(), c.removed ? QString() : QStringLiteral("b.jpg"));
        EXPECT_EQ(Image1(*form)->HasPicture(), !c.removed);
        if (!c.removed) {
            EXPECT_TRUE(File1(*form)->hasFocus());
            EXPECT_TRUE(WaitFor([&] { return fullDecodes->load() == 1; }));
            test::WaitFull(*form);
            EXPECT_EQ(Label5(*form)->text(), QStringLiteral("    W X H = 41 X 30"));
        } else {
            EXPECT_EQ(Label5(*form)->text(), QString());
        }
        form.reset();
    }
}

// Enter opens the highlighted folder as a double-click does; the dialog stays open.
TEST_F(FoldersTest, EnterInTheDialogsFolderListOpensTheFolder) {
    ASSERT_TRUE(QDir(folder).mkdir("inner"));
    Form6 dialog(NativeOf(folder));
    dialog.Command13->show();
    QObject::connect(dialog.Command13, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    FolderList* list = dialog.Dir2;
    list->setFocus();
    list->setCurrentRow(list->count() - 1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(list->Path(), folder + "/inner");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
}

// Twenty thousand empty files list sorted, walk by key and follow the disk in both ways of
// applying a change: edits one by one, and a rebuild when many names went.
TEST_F(FoldersTest, TwentyThousandEntriesListAndWalk) {
    const QString big = folder + "/big";
    ASSERT_TRUE(QDir().mkpath(big));
    for (int i = 0; i < 20000; ++i)
        QFile(big + QStringLiteral("/p%1.jpg").arg(i, 5, 10, QLatin1Char('0')))
            .open(QIODevice::WriteOnly);
    Open();
    ASSERT_TRUE(Dir1(*form)->SetPath(big));
    FileList* files = File1(*form);
    ASSERT_EQ(files->ListCount(), 20000);
    EXPECT_EQ(files->List(0), "p00000.jpg");
    EXPECT_EQ(files->List(19999), "p19999.jpg");
    files->setFocus();
    files->SetListIndex(10000);
    QTest::keyClick(files, Qt::Key_Down);
    EXPECT_EQ(files->FileName(), "p10001.jpg");

    QFile(big + "/p10000a.jpg").open(QIODevice::WriteOnly);
    EXPECT_TRUE(WaitFor([&] { return files->ListCount() == 20001; }));
    EXPECT_EQ(files->List(10001), "p10000a.jpg");
    EXPECT_EQ(files->FileName(), "p10001.jpg");
    for (int i = 0; i < 300; ++i)
        QFile::remove(big + QStringLiteral("/p%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
    EXPECT_TRUE(WaitFor([&] { return files->ListCount() == 19701; }));
    EXPECT_EQ(files->FileName(), "p10001.jpg");
    EXPECT_EQ(files->NativeList(files->ListIndex()), QByteArray("p10001.jpg"));
}

}  // namespace
}  // namespace sorvenal
