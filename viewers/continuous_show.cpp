#include "viewers/continuous_show.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>

#include "platform/file_list.h"
#include "platform/fonts.h"

namespace sorvenal {

namespace {

const QColor kLabelBack = Rgb(192, 255, 255);
const QColor kRunningBack = Rgb(255, 0, 0);

bool Pause(const ShowContext& context, int ms) {
    if (context.pause) return context.pause(ms);
    return BlockingPause(ms);
}

}  // namespace

bool BlockingPause(int ms) {
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        bool elapsed = false;
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            elapsed = true;
            loop.quit();
        });
        // Whole milliseconds, rounded up: a timer may fire early by less than one.
        const qint64 left = (deadline.remainingTimeNSecs() + 999'999) / 1'000'000;
        timer.start(static_cast<int>(std::max<qint64>(1, left)));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        // A loop that returns before its timer means the application asked every loop to end.
        if (!elapsed) return false;
    }
    return true;
}

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
    auto ending = [&] { return context.Ending && context.Ending(); };
    if (n > 0) {
        for (int i = i0; i < n; ++i) {
            // An entry that has gone (the folder shrank meanwhile, or another program took the
            // file: the list waits for the show's end) is skipped.
            if (files && i >= 0 &&
                !PathExists(JoinNative(files->NativeFolder(), files->NativeList(i))))
                continue;
            if (files) files->SetListIndex(i);
            QCoreApplication::processEvents();
            // The window closed meanwhile: the program ends, the show with it.
            if (ending()) break;
            if (!files) ShowCancel = true;
            if (ShowCancel) {
                // Back to the picture that was on screen when the stop was asked for.
                if (files) files->SetListIndex(i - 1);
                break;
            }
            if (!Pause(context, kShowPauseMs) || ending()) break;
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
