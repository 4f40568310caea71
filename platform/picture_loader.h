#pragma once
// The decodes of the selected picture, its preview and then its full picture, on a worker beside
// the interface thread. One request counts at a time: a newer one drops the older (a decode
// under way is cut short and its result thrown away), so no two pictures are ever being made
// at once and a quick walk through a folder decodes only where it stops.
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
    using PreviewDecoder = std::function<PreviewResult(const NativePath&, const QSize& box,
                                                       const std::atomic<bool>& cancel)>;
    // Without a decoder, ReadPicture into huge-page memory; without a preview decoder,
    // ReadPreview.
    explicit PictureLoader(Decoder decoder = {}, PreviewDecoder previewDecoder = {},
                           QObject* parent = nullptr);
    ~PictureLoader() override;

    // The full picture.
    void Start(const NativePath& path);
    // The preview for a box of device pixels (ReadPreview).
    void StartPreview(const NativePath& path, const QSize& box);
    void Discard();
    // A request whose result has not been taken yet.
    bool Pending() const;
    // Waits for the current request's result and takes it; tick runs on the calling thread
    // about every 20 ms meanwhile. Without a request: a failure with no reason.
    ReadResult Take(const std::function<void()>& tick = {});
    // The result when it is there already.
    std::optional<ReadResult> TakeIfDone();
    // The same for a preview request.
    PreviewResult TakePreview(const std::function<void()>& tick = {});
    std::optional<PreviewResult> TakePreviewIfDone();

signals:
    // From the worker: the current request has its result (connect queued).
    void Done();

private:
    struct Request {
        NativePath path;
        std::optional<QSize> previewBox;  // a preview; none for the full picture
    };
    struct Outcome {
        ReadResult full;
        PreviewResult preview;
    };
    void Run();
    void Queue(Request request);
    std::optional<Outcome> TakeOutcome(bool wait, const std::function<void()>& tick);

    Decoder decoder_;
    PreviewDecoder previewDecoder_;
    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::condition_variable done_;
    std::optional<Request> next_;  // asked for, not yet started
    std::optional<Outcome> result_;
    bool pending_ = false;
    quint64 generation_ = 0;  // of the newest request
    std::atomic<bool> cancel_{false};
    bool stop_ = false;
    std::thread thread_;  // last: it starts once the rest exists
};

}  // namespace sorvenal
