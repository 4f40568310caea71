#pragma once
// The full decode of the selected picture, on a worker beside the interface thread. One
// request counts at a time: a newer one drops the older (a decode under way is cut short and
// its result thrown away), so no two full pictures are ever being made at once.
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/picture_io.h"

namespace sorvenal {

class PictureLoader : public QObject {
    Q_OBJECT

public:
    // Runs on the worker; it should give up early once cancel is set.
    using Decoder = std::function<ReadResult(const NativePath&, const std::atomic<bool>& cancel)>;
    // Without a decoder, ReadPicture into huge-page memory.
    explicit PictureLoader(Decoder decoder = {}, QObject* parent = nullptr);
    ~PictureLoader() override;

    void Start(const NativePath& path);
    void Discard();
    // A request whose result has not been taken yet.
    bool Pending() const;
    // Waits for the current request's result and takes it; tick runs on the calling thread
    // about every 20 ms meanwhile. Without a request: a failure with no reason.
    ReadResult Take(const std::function<void()>& tick = {});
    // The result when it is there already.
    std::optional<ReadResult> TakeIfDone();

signals:
    // From the worker: the current request has its result (connect queued).
    void Done();

private:
    void Run();

    Decoder decoder_;
    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable done_;
    std::optional<NativePath> next_;  // asked for, not yet started
    std::optional<ReadResult> result_;
    bool pending_ = false;
    quint64 generation_ = 0;  // of the newest request
    std::atomic<bool> cancel_{false};
    bool stop_ = false;
    std::thread thread_;  // last: it starts once the rest exists
};

}  // namespace sorvenal
