// Wiring of the full-screen views and the continuous show.
#include <QCheckBox>

#include "app/main_window.h"
#include "platform/picture_box.h"
#include "viewers/continuous_show.h"
#include "viewers/fullscreen_actual.h"
#include "viewers/fullscreen_fit.h"

namespace sorvenal {

ShowContext Form1::MakeShowContext() {
    ShowContext context;
    context.File1 = File1;
    context.Label8 = Label8;
    context.Option1 = Option1;
    context.ShowCancel = &ShowCancel;
    context.FolderFinish = [this] { FolderFinish(); };
    context.Ending = [this] { return Ending(); };
    context.ResetWorkingPicture = [this] {
        working_->ShowOriginal();
        ResumeFullPicture();
    };
    context.pause = Options().showPause;
    return context;
}

void Form1::OpenFullScreenView() {
    // A fresh window each time: nothing of an earlier opening survives. The key that opened
    // it ends here: when the view returns it must not reach the controls.
    modalViewSeen_ = true;
    if (selected_->Waiting()) {
        WaitFull();
        working_->ShowOriginal();
    }
    if (Check1->isChecked()) {
        Form3 view(Picture2->Image(), ScreenSize(), this);
        view.exec();
    } else {
        Form2 view(Picture2->Image(), ScreenSize(), this);
        view.exec();
    }
}

void Form1::Label8_Click() { RunShow(MakeShowContext()); }

void Form1::Label9_Click() { StopShow(MakeShowContext()); }

}  // namespace sorvenal
