#include "platform/picture_loader.h"

#include <chrono>

namespace sorvenal {

PictureLoader::PictureLoader(Decoder decoder, QObject* parent)
    : QObject(parent), decoder_(std::move(decoder)) {
    if (!decoder_)
        decoder_ = [](const NativePath& path, const std::atomic<bool>& cancel) {
            return ReadPicture(path, ReadOptions{&cancel, true});
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

void PictureLoader::Start(const NativePath& path) {
    {
        const std::lock_guard lock(mutex_);
        ++generation_;
        next_ = path;
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

ReadResult PictureLoader::Take(const std::function<void()>& tick) {
    std::unique_lock lock(mutex_);
    if (!pending_) return ReadResult{};
    while (!result_) {
        done_.wait_for(lock, std::chrono::milliseconds(20));
        if (result_ || !tick) continue;
        lock.unlock();
        tick();
        lock.lock();
        if (!pending_) return ReadResult{};  // dropped meanwhile
    }
    ReadResult result = std::move(*result_);
    result_.reset();
    pending_ = false;
    return result;
}

std::optional<ReadResult> PictureLoader::TakeIfDone() {
    const std::lock_guard lock(mutex_);
    if (!pending_ || !result_) return std::nullopt;
    std::optional<ReadResult> result = std::move(result_);
    result_.reset();
    pending_ = false;
    return result;
}

void PictureLoader::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stop_ || next_.has_value(); });
        if (stop_) return;
        const NativePath path = std::move(*next_);
        next_.reset();
        const quint64 generation = generation_;
        cancel_ = false;
        lock.unlock();
        ReadResult result = decoder_(path, cancel_);
        lock.lock();
        // Freed here, not kept, when a newer request came meanwhile.
        if (generation != generation_ || stop_) continue;
        result_ = std::move(result);
        done_.notify_all();
        emit Done();
    }
}

}  // namespace sorvenal
