#include "viewers/continuous_show.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>

#include "platform/file_list.h"
#include "platform/fonts.h"

namespace sorvenal {

namespace {

ShowPause& PauseOverride() {
    static ShowPause pause;
    return pause;
}

const QColor kLabelBack = Rgb(192, 255, 255);
const QColor kRunningBack = Rgb(255, 0, 0);

bool Pause(const ShowContext& context, int ms) {
    if (context.pause) return context.pause(ms);
    if (PauseOverride()) return PauseOverride()(ms);
    return BlockingPause(ms);
}

}  // namespace

bool BlockingPause(int ms) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool elapsed = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        elapsed = true;
        loop.quit();
    });
    timer.start(ms);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    // A loop that returns before the timer means the application asked every loop to end.
    return elapsed;
}

void SetShowPauseOverride(ShowPause pause) { PauseOverride() = std::move(pause); }

void RunShow(const ShowContext& context) {
    // The list may go away while pending events run (the window closing); the show then ends.
    const QPointer<FileList> files = context.File1;
    const QPointer<QLabel> start = context.Label8;
    bool& ShowCancel = *context.ShowCancel;

    if (files) files->setCursor(Qt::WaitCursor);
    if (start) SetBackColor(start, kRunningBack);
    if (context.Option1 && context.Option1->isChecked() && files) files->SetListIndex(0);
    ShowCancel = false;
    const int n = files ? files->ListCount() : 0;
    const int i0 = files ? files->ListIndex() : -1;
    if (n > 0) {
        for (int i = i0; i < n; ++i) {
            // An entry that has gone (the folder shrank meanwhile) is skipped.
            if (files) files->SetListIndex(i);
            QCoreApplication::processEvents();
            if (!files) ShowCancel = true;
            if (ShowCancel) {
                // Back to the picture that was on screen when the stop was asked for.
                if (files) files->SetListIndex(i - 1);
                break;
            }
            if (!Pause(context, kShowPauseMs)) break;
        }
    }
    ShowCancel = true;
    if (context.FolderFinish) context.FolderFinish();
    if (start) SetBackColor(start, kLabelBack);
    if (context.ResetWorkingPicture) context.ResetWorkingPicture();
    if (files) files->unsetCursor();
}

void StopShow(const ShowContext& context) {
    *context.ShowCancel = true;
    if (context.Label8) SetBackColor(context.Label8, kLabelBack);
    if (context.ResetWorkingPicture) context.ResetWorkingPicture();
}

}  // namespace sorvenal
