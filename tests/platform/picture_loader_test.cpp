// The full decode beside the interface thread: one request counts, older ones are dropped.
#include "platform/picture_loader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace sorvenal {
namespace {

// Decodes nothing: it gives a 1 x 1 picture whose colour tells the path, once let through.
struct HeldDecoder {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    std::vector<NativePath> started;
    std::vector<bool> cancelledAtEnd;

    PictureLoader::Decoder Function() {
        return [this](const NativePath& path, const std::atomic<bool>& cancel) {
            std::unique_lock lock(mutex);
            started.push_back(path);
            changed.notify_all();
            changed.wait(lock, [&] { return open || cancel.load(); });
            cancelledAtEnd.push_back(cancel.load());
            QImage image(1, 1, QImage::Format_RGB32);
            image.fill(qRgb(static_cast<int>(path.size()), 0, 0));
            return ReadResult{image, {}};
        };
    }
    void Open() {
        const std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    void WaitStarted(size_t n) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return started.size() >= n; });
    }
};

int Red(const ReadResult& read) { return read.ok() ? qRed(read.image.pixel(0, 0)) : -1; }

TEST(PictureLoaderTest, ANewerRequestDropsTheOlderAndCutsItShort) {
    HeldDecoder decoder;
    PictureLoader loader(decoder.Function());
    loader.Start("a");
    decoder.WaitStarted(1);
    EXPECT_FALSE(loader.TakeIfDone().has_value());
    loader.Start("bbb");
    // The first decode was told to stop; the second runs after it, never beside it.
    int ticks = 0;
    const ReadResult read = loader.Take([&] {
        if (++ticks == 3) decoder.Open();
    });
    EXPECT_EQ(Red(read), 3);  // "bbb", not "a"
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(decoder.started, (std::vector<NativePath>{"a", "bbb"}));
    EXPECT_EQ(decoder.cancelledAtEnd, (std::vector<bool>{true, false}));
    EXPECT_FALSE(loader.Pending());
    EXPECT_FALSE(loader.Take().ok());  // nothing asked for, nothing waited on
}

TEST(PictureLoaderTest, DoneArrivesOnTheOwnersThreadAndDiscardDropsTheResult) {
    HeldDecoder decoder;
    decoder.open = true;
    PictureLoader loader(decoder.Function());
    QEventLoop loop;
    int done = 0;
    QObject::connect(
        &loader, &PictureLoader::Done, &loop,
        [&] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ++done;
            loop.quit();
        },
        Qt::QueuedConnection);
    loader.Start("cc");
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(done, 1);
    loader.Discard();
    EXPECT_FALSE(loader.Pending());
    EXPECT_FALSE(loader.TakeIfDone().has_value());

    loader.Start("dddd");
    EXPECT_EQ(Red(loader.Take()), 4);
}

}  // namespace
}  // namespace sorvenal
