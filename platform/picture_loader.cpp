#include "platform/picture_loader.h"

#include <chrono>

namespace sorvenal {

PictureLoader::PictureLoader(Decoder decoder, PreviewDecoder previewDecoder, QObject* parent)
    : QObject(parent), decoder_(std::move(decoder)), previewDecoder_(std::move(previewDecoder)) {
    if (!decoder_)
        decoder_ = [](const NativePath& path, const std::atomic<bool>& cancel) {
            return ReadPicture(path, ReadOptions{&cancel, true});
        };
    if (!previewDecoder_)
        previewDecoder_ = [](const NativePath& path, const QSize& box,
                             const std::atomic<bool>& cancel) {
            return ReadPreview(path, box, &cancel);
        };
    thread_ = std::thread([this] { Run(); });
}

PictureLoader::~PictureLoader() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        cancel_ = true;
    }
    work_.notify_one();
    thread_.join();
}

void PictureLoader::Start(const NativePath& path) { Queue({path, std::nullopt}); }

void PictureLoader::StartPreview(const NativePath& path, const QSize& box) { Queue({path, box}); }

void PictureLoader::Queue(Request request) {
    {
        const std::lock_guard lock(mutex_);
        ++generation_;
        next_ = std::move(request);
        result_.reset();
        pending_ = true;
        cancel_ = true;  // whatever runs now is for an older request
    }
    work_.notify_one();
}

void PictureLoader::Discard() {
    const std::lock_guard lock(mutex_);
    ++generation_;
    next_.reset();
    result_.reset();
    pending_ = false;
    cancel_ = true;
}

bool PictureLoader::Pending() const {
    const std::lock_guard lock(mutex_);
    return pending_;
}

std::optional<PictureLoader::Outcome> PictureLoader::TakeOutcome(
    bool wait, const std::function<void()>& tick) {
    std::unique_lock lock(mutex_);
    if (!pending_) return std::nullopt;
    while (!result_) {
        if (!wait) return std::nullopt;
        done_.wait_for(lock, std::chrono::milliseconds(20));
        if (result_ || !tick) continue;
        lock.unlock();
        tick();
        lock.lock();
        if (!pending_) return std::nullopt;  // dropped meanwhile
    }
    std::optional<Outcome> outcome = std::move(result_);
    result_.reset();
    pending_ = false;
    return outcome;
}

ReadResult PictureLoader::Take(const std::function<void()>& tick) {
    std::optional<Outcome> outcome = TakeOutcome(true, tick);
    return outcome ? std::move(outcome->full) : ReadResult{};
}

std::optional<ReadResult> PictureLoader::TakeIfDone() {
    std::optional<Outcome> outcome = TakeOutcome(false, {});
    if (!outcome) return std::nullopt;
    return std::move(outcome->full);
}

PreviewResult PictureLoader::TakePreview(const std::function<void()>& tick) {
    std::optional<Outcome> outcome = TakeOutcome(true, tick);
    return outcome ? std::move(outcome->preview) : PreviewResult{};
}

std::optional<PreviewResult> PictureLoader::TakePreviewIfDone() {
    std::optional<Outcome> outcome = TakeOutcome(false, {});
    if (!outcome) return std::nullopt;
    return std::move(outcome->preview);
}

void PictureLoader::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stop_ || next_.has_value(); });
        if (stop_) return;
        const Request request = std::move(*next_);
        next_.reset();
        const quint64 generation = generation_;
        cancel_ = false;
        lock.unlock();
        Outcome result;
        if (request.previewBox)
            result.preview = previewDecoder_(request.path, *request.previewBox, cancel_);
        else
            result.full = decoder_(request.path, cancel_);
        lock.lock();
        // Freed here, not kept, when a newer request came meanwhile.
        if (generation != generation_ || stop_) continue;
        result_ = std::move(result);
        done_.notify_all();
        emit Done();
    }
}

}  // namespace sorvenal
