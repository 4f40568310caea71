#include "app/selected_picture.h"

#include <utility>

#include "platform/busy_indicator.h"

namespace sorvenal {

SelectedPicture::SelectedPicture(PictureLoader::Decoder fullDecoder,
                                 PictureLoader::PreviewDecoder previewDecoder, QObject* parent)
    : QObject(parent),
      loader_(std::make_unique<PictureLoader>(std::move(fullDecoder), std::move(previewDecoder))) {
    connect(loader_.get(), &PictureLoader::Done, this, &SelectedPicture::LoaderDone,
            Qt::QueuedConnection);
}

SelectedPicture::~SelectedPicture() = default;

SelectedPicture::State SelectedPicture::Select(const NativePath& path, const QSize& previewBox) {
    Clear();
    path_ = path;
    std::optional<Prefetched> prefetched = std::exchange(prefetch_, std::nullopt);
    if (prefetched && prefetched->path == path) {
        TakePreview(prefetched->preview.get());
    } else {
        loader_->StartPreview(path, previewBox);
        state_ = State::Previewing;
    }
    return state_;
}

void SelectedPicture::TakePreview(PreviewResult read) {
    if (!read.ok()) {
        failure_ = read.failure;
        state_ = State::Unreadable;
        return;
    }
    size_ = read.size;
    preview_ = std::move(read.preview);
    full_ = std::move(read.picture);
    state_ = full_.isNull() ? State::PreviewOnly : State::Full;
}

void SelectedPicture::Clear() {
    loader_->Discard();
    state_ = State::None;
    path_.clear();
    preview_ = QImage();
    full_ = QImage();
    size_ = QSize();
    failure_ = {};
}

void SelectedPicture::StartFull() {
    if (state_ != State::PreviewOnly) return;
    loader_->Start(path_);
    state_ = State::Decoding;
}

bool SelectedPicture::WaitFull(const BusyFeedback& busy, const QString& caption) {
    if (!Waiting()) return state_ == State::Full;
    if (state_ == State::Previewing) {
        std::optional<PreviewResult> read = loader_->TakePreviewIfDone();
        if (!read) {
            busy.Run(caption, [&](const Progress& progress) {
                int turn = 0;
                read = loader_->TakePreview([&] { progress(turn = (turn + 1) % 100, 100); });
            });
        }
        TakePreview(std::move(*read));
        emit PreviewEnded();
        if (!Waiting()) return state_ == State::Full;
    }
    StartFull();
    if (std::optional<ReadResult> read = loader_->TakeIfDone()) {
        TakeFull(*read);
    } else {
        ReadResult whole;
        busy.Run(caption, [&](const Progress& progress) {
            int turn = 0;
            whole = loader_->Take([&] { progress(turn = (turn + 1) % 100, 100); });
        });
        TakeFull(whole);
    }
    return state_ == State::Full;
}

void SelectedPicture::LoaderDone() {
    if (state_ == State::Previewing) {
        if (std::optional<PreviewResult> read = loader_->TakePreviewIfDone()) {
            TakePreview(std::move(*read));
            emit PreviewEnded();
        }
    } else if (state_ == State::Decoding) {
        if (std::optional<ReadResult> read = loader_->TakeIfDone()) TakeFull(*read);
    }
}

void SelectedPicture::TakeFull(const ReadResult& read) {
    if (read.ok()) {
        full_ = read.image;
        state_ = State::Full;
    } else {
        // Its preview worked, its picture does not: as unreadable as a file that shows nothing.
        preview_ = QImage();
        size_ = QSize();
        failure_ = read.failure;
        state_ = State::Unreadable;
    }
    emit FullEnded();
}

void SelectedPicture::Prefetch(const NativePath& path, const QSize& previewBox) {
    prefetch_ = Prefetched{path, std::async(std::launch::async, [path, previewBox] {
                               return ReadPreview(path, previewBox);
                           })};
}

}  // namespace sorvenal
