// Large folders in the real window (offscreen Qt), against a steady clock:
//   folders_bench [FOLDER]
// * change of folder to 20,000 and 100,000 pictures until the file list is painted, against
//   QDir::entryList of the same folder alone;
// * the re-list after a file operation (both lists to the root and back) at 100,000;
// * Down in the 20,000-picture list, selection to preview painted, against a 10-picture folder;
// * a file copied into the shown folder until it is listed.
// The pictures are hard links to one small JPEG, made in FOLDER (kept for the next run) or in a
// temporary folder.
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/photo_jpeg.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"

namespace sorvenal {
namespace {

using bench::Clock;
using bench::Median;
using bench::Ms;

// The moment of each finished paint of a widget that `counts` accepts.
class PaintClock : public QObject {
public:
    explicit PaintClock(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    std::vector<Clock::time_point> painted;
    std::function<bool()> counts;

    // Until a paint is recorded; the time from `start`.
    double WaitFrom(Clock::time_point start) {
        painted.clear();
        while (painted.empty()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return Ms(painted.front() - start);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_ || event->type() != QEvent::Paint || inside_) return false;
        inside_ = true;
        QCoreApplication::sendEvent(widget_, event);
        inside_ = false;
        if (!counts || counts()) painted.push_back(Clock::now());
        return true;
    }

private:
    QWidget* widget_;
    bool inside_ = false;
};

// `count` hard links to copies of `photo` in a folder of `root`, unless they are there from an
// earlier run.
QString LinkedFolder(const QString& root, const QString& photo, int count) {
    QString folder = QDir(root).filePath(QStringLiteral("n%1").arg(count));
    QDir().mkpath(folder);
    QByteArray source;
    for (int i = 0; i < count; ++i) {
        if (i % 50000 == 0) {  // a file takes at most 65,000 links on ext4
            const QString copy = QStringLiteral("%1.%2.%3").arg(photo).arg(count).arg(i);
            QFile::copy(photo, copy);
            source = QFile::encodeName(copy);
        }
        const QByteArray name =
            QFile::encodeName(folder) + QByteArray("/IMG_") + QByteArray::number(i) + ".jpg";
        if (::link(source.constData(), name.constData()) != 0 && errno != EEXIST) {
            std::perror("link");
            std::exit(1);
        }
    }
    return folder;
}

double EntryListMs(const QString& folder) {
    const auto start = Clock::now();
    const QStringList names = QDir(folder).entryList(QDir::Files);
    const double ms = Ms(Clock::now() - start);
    if (names.isEmpty()) std::exit(1);
    return ms;
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Window : test::Form1Session {
    explicit Window(const QString& folder) : Form1Session(folder) {
        Browse(Form1Options{.screenSize = test::FixedScreen(1920, 1080)});
    }
    ~Window() { form.reset(); }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    FileList* Files() const { return test::form1::File1(*form); }
    FolderList* Folders() const { return test::form1::Dir1(*form); }
};

// Resident bytes now, from /proc.
double ResidentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * static_cast<double>(::sysconf(_SC_PAGESIZE))
                             : 0;
}

void ChangeOfFolder(const QString& root, const QString& folder, int count) {
    std::vector<double> baseline, listed;
    const Window window(root);
    PaintClock clock(window.Files()->viewport());
    const double residentBefore = ResidentBytes();
    window.Folders()->SetPath(folder);
    clock.WaitFrom(Clock::now());
    std::printf("resident growth with %d entries listed: %.0f bytes per entry\n", count,
                (ResidentBytes() - residentBefore) / count);
    window.Folders()->SetPath(root);
    clock.WaitFrom(Clock::now());
    for (int run = 0; run < 5; ++run) {
        baseline.push_back(EntryListMs(folder));
        const auto start = Clock::now();
        window.Folders()->SetPath(folder);
        listed.push_back(clock.WaitFrom(start));
        if (window.Files()->ListCount() != count) {
            std::fprintf(stderr, "listed %d, not %d\n", window.Files()->ListCount(), count);
            std::exit(1);
        }
        window.Folders()->SetPath(root);
        clock.WaitFrom(Clock::now());
    }
    const double b = Median(baseline), l = Median(listed);
    std::printf(
        "change of folder to %d pictures, file list painted: %.1f ms (QDir::entryList alone "
        "%.1f ms, ratio %.2f)\n",
        count, l, b, l / b);
}

void RelistAfterFileOperation(const QString& folder, int count) {
    std::vector<double> baseline, listed;
    const Window window(folder);
    PaintClock clock(window.Files()->viewport());
    for (int run = 0; run < 5; ++run) {
        baseline.push_back(EntryListMs(folder));
        const auto start = Clock::now();
        RelistFolders(*window.Folders(), window.Files(), NativeOf(folder));
        listed.push_back(clock.WaitFrom(start));
    }
    const double b = Median(baseline), l = Median(listed);
    std::printf(
        "re-list after a file operation at %d pictures, painted: %.1f ms (QDir::entryList "
        "alone %.1f ms, ratio %.2f)\n",
        count, l, b, l / b);
}

// Down from the middle of the list, each time to a picture not yet seen.
double DownToPreview(const QString& folder, int steps) {
    const Window window(folder);
    window.Files()->setFocus();
    window.Select(0);
    PreviewImage* preview = test::form1::Image1(*window.form);
    PaintClock clock(preview);
    qint64 lastKey = preview->Picture().cacheKey();
    clock.counts = [&] {
        const qint64 key = preview->Picture().cacheKey();
        if (!preview->HasPicture() || key == lastKey) return false;
        lastKey = key;
        return true;
    };
    std::vector<double> times;
    for (int i = 0; i < steps; ++i) {
        Wait(50);
        const auto start = Clock::now();
        QTest::keyClick(window.Files(), Qt::Key_Down);
        times.push_back(clock.WaitFrom(start));
    }
    if (window.Files()->ListIndex() != steps) std::exit(1);
    return Median(times);
}

void ListedAfterCopy(const QString& root, const QString& photo) {
    const QString folder = QDir(root).filePath(QStringLiteral("copies"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QFile::copy(photo, QDir(folder).filePath(QStringLiteral("a.jpg")));
    const Window window(folder);
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const int before = window.Files()->ListCount();
        const auto start = Clock::now();
        QFile::copy(photo, QDir(folder).filePath(QStringLiteral("b%1.jpg").arg(run)));
        while (window.Files()->ListCount() == before) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
            if (Ms(Clock::now() - start) > 5000) {
                std::puts("a copied file: not listed within 5 s");
                return;
            }
        }
        times.push_back(Ms(Clock::now() - start));
    }
    std::printf("a file copied into the shown folder, listed after %.1f ms (median of 5)\n",
                Median(times));
}

int Folders(const QStringList& args) {
    const QTemporaryDir temporary;
    const QString root = args.isEmpty() ? temporary.path() : args[0];
    QDir().mkpath(root);
    const QString photo =
        bench::PhotoJpeg(QDir(root).filePath(QStringLiteral("photo.jpg")), 640, 480);
    const QString ten = LinkedFolder(root, photo, 10);
    const QString n20 = LinkedFolder(root, photo, 20000);
    const QString n100 = LinkedFolder(root, photo, 100000);

    ChangeOfFolder(root, n20, 20000);
    ChangeOfFolder(root, n100, 100000);
    RelistAfterFileOperation(n100, 100000);
    const double small = DownToPreview(ten, 8);
    const double large = DownToPreview(n20, 8);
    std::printf(
        "Down, selection to preview painted: 20,000 pictures %.1f ms, 10 pictures %.1f ms "
        "(ratio %.2f, medians of 8)\n",
        large, small, large / small);
    ListedAfterCopy(root, photo);
    return 0;
}

[[maybe_unused]] const bool kFolders = bench::AddRun("", &Folders);

}  // namespace
}  // namespace sorvenal
