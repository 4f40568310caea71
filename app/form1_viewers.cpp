// Wiring of the full-screen views and the continuous show.
#include <QCheckBox>

#include "app/main_window.h"
#include "platform/picture_box.h"
#include "viewers/continuous_show.h"
#include "viewers/fullscreen_actual.h"
#include "viewers/fullscreen_fit.h"

namespace sorvenal {

namespace {

ShowContext MakeShowContext(Form1& form) {
    ShowContext context;
    context.File1 = form.File1;
    context.Label8 = form.Label8;
    context.Option1 = form.Option1;
    context.ShowCancel = &form.ShowCancel;
    context.FolderFinish = [&form] { form.FolderFinish(); };
    context.Ending = [&form] { return form.Ending(); };
    context.ResetWorkingPicture = [&form] {
        form.Picture2->SetPicture(form.Picture1->Picture());
        form.ResumeFullPicture();
    };
    context.pause = form.Options().showPause;
    return context;
}

}  // namespace

void Form1::OpenFullScreenView() {
    // A fresh window each time: nothing of an earlier opening survives. The key that opened
    // it ends here: when the view returns it must not reach the controls.
    modalViewSeen_ = true;
    if (!fullPath_.isEmpty()) {
        WaitForFullPicture();
        Picture2->SetPicture(Picture1->Picture());
    }
    if (Check1->isChecked()) {
        Form3 view(Picture2->Image(), ScreenSize(), this);
        view.exec();
    } else {
        Form2 view(Picture2->Image(), ScreenSize(), this);
        view.exec();
    }
}

void Form1::Label8_Click() { RunShow(MakeShowContext(*this)); }

void Form1::Label9_Click() { StopShow(MakeShowContext(*this)); }

}  // namespace sorvenal
