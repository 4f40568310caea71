#include "platform/decoder_messages.h"

#include <QLoggingCategory>
#include <atomic>
#include <cstring>
#include <mutex>

namespace sorvenal {
namespace {

constexpr char kJpegCategory[] = "qt.gui.imageio.jpeg";

thread_local DecoderMessages* listening = nullptr;

QtMessageHandler previousHandler = nullptr;
QLoggingCategory::CategoryFilter previousFilter = nullptr;
// Whether the logging rules let the decoder's warnings through when nobody listens.
std::atomic<bool> jpegWarningsShown{true};

bool IsJpegCategory(const char* name) { return name && std::strcmp(name, kJpegCategory) == 0; }

void Filter(QLoggingCategory* category) {
    if (previousFilter) previousFilter(category);
    if (!IsJpegCategory(category->categoryName())) return;
    // Heard always; printed only where the rules would have printed it.
    jpegWarningsShown = category->isWarningEnabled();
    category->setEnabled(QtWarningMsg, true);
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (IsJpegCategory(context.category)) {
        if (listening) {
            listening->Add(message);
            return;
        }
        if (!jpegWarningsShown) return;
    }
    // Qt's PNG decoder fails the read itself; its words about a file cut short (or cancelled)
    // need not reach the terminal.
    if (listening && message.startsWith(QLatin1String("libpng "))) return;
    if (previousHandler) previousHandler(type, context, message);
}

void Install() {
    static std::once_flag once;
    std::call_once(once, [] {
        previousHandler = qInstallMessageHandler(Handler);
        previousFilter = QLoggingCategory::installFilter(Filter);
    });
}

}  // namespace

DecoderMessages::DecoderMessages() : outer_(listening) {
    Install();
    listening = this;
}

DecoderMessages::~DecoderMessages() { listening = outer_; }

PictureFailure DecoderMessages::Damage() const {
    if (first_.isEmpty() || first_.contains(QLatin1String("extraneous bytes before marker")))
        return {};
    // The data stops before the picture does (with or without an end marker after it).
    if (first_.contains(QLatin1String("Premature end of JPEG file")) ||
        first_.contains(QLatin1String("premature end of data segment")))
        return {PictureError::Truncated};
    if (first_.contains(QLatin1String("Corrupt JPEG data"))) return {PictureError::Corrupt};
    return {};  // notes on the header (a newer JFIF revision, say) harm nothing
}

}  // namespace sorvenal
