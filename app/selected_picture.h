#pragma once
// The picture chosen in the browse state: its preview and then its full picture, both decoded
// beside the window. Every command that needs the whole picture calls WaitFull.
#include <QImage>
#include <QObject>
#include <QSize>
#include <future>
#include <memory>
#include <optional>

#include "platform/picture_loader.h"

namespace sorvenal {

struct BusyFeedback;

class SelectedPicture : public QObject {
    Q_OBJECT

public:
    enum class State {
        None,         // nothing selected
        Previewing,   // the preview is being decoded
        PreviewOnly,  // the preview is there; the full decode has not started
        Decoding,     // the full decode runs
        Full,         // the whole picture is there
        Unreadable,   // neither the preview nor the picture could be read
    };

    // Without decoders, the full pictures are read into huge-page memory and the previews
    // by ReadPreview.
    explicit SelectedPicture(PictureLoader::Decoder fullDecoder = {},
                             PictureLoader::PreviewDecoder previewDecoder = {},
                             QObject* parent = nullptr);
    ~SelectedPicture() override;

    // Starts reading the preview of the file (box in device pixels); nothing of the previous
    // picture stays, nor is decoded on. Previewing until PreviewEnded, unless the show's
    // prefetch has the preview already. Formats that give the whole picture with the preview
    // are Full then.
    State Select(const NativePath& path, const QSize& previewBox);
    void Clear();
    // Starts the full decode of a picture only previewed so far.
    void StartFull();
    // Waits for the whole picture, starting its decode if need be, under the busy state when
    // it is not there yet. True when the whole picture is there.
    bool WaitFull(const BusyFeedback& busy, const QString& caption);
    // Decodes the preview of the file the show selects next, while one is shown.
    void Prefetch(const NativePath& path, const QSize& previewBox);

    State state() const { return state_; }
    // The whole picture is still to come.
    bool Waiting() const {
        return state_ == State::Previewing || state_ == State::PreviewOnly ||
               state_ == State::Decoding;
    }
    // The file of the picture; a save reads its EXIF.
    const NativePath& Path() const { return path_; }
    const QImage& Preview() const { return preview_; }
    // The picture's own size, orientation applied; invalid when unreadable.
    QSize Size() const { return size_; }
    // Null until the state is Full.
    const QImage& Full() const { return full_; }
    // Why the picture is Unreadable.
    const PictureFailure& Failure() const { return failure_; }

signals:
    // The preview decode has ended, as PreviewOnly, Full or Unreadable (also inside WaitFull).
    void PreviewEnded();
    // The full decode has ended, as Full or Unreadable (also inside WaitFull).
    void FullEnded();

private:
    void LoaderDone();
    void TakePreview(PreviewResult read);
    void TakeFull(const ReadResult& read);

    std::unique_ptr<PictureLoader> loader_;
    State state_ = State::None;
    NativePath path_;
    QImage preview_;
    QImage full_;
    QSize size_;
    PictureFailure failure_;
    struct Prefetched {
        NativePath path;
        std::future<PreviewResult> preview;
    };
    std::optional<Prefetched> prefetch_;
};

}  // namespace sorvenal
