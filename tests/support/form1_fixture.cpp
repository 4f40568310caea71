#include "tests/support/form1_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "app/undo_history_steps.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "tests/support/form1_controls.h"
#include "tests/support/test_pictures.h"

namespace sorvenal::test {

QAction* MenuEntry(const Form1& form, const char* name) {
    const QList<QAction*> found = form.findChildren<QAction*>(QString::fromLatin1(name));
    if (found.size() != 1) {
        std::fprintf(stderr, "%d menu entries named \"%s\"\n", static_cast<int>(found.size()),
                     name);
        std::abort();
    }
    return found.front();
}

void Trigger(const Form1& form, const char* name) { MenuEntry(form, name)->trigger(); }

void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }

void DragOnPicture(const Form1& form, QPoint from, QPoint to) {
    PictureBox* picture = form1::Picture2(form);
    QTest::mousePress(picture, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), picture->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picture, &move);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, to);
}

void WaitFull(Form1& form) { form.WaitFull(); }

void WaitPreview(const Form1& form) {
    QElapsedTimer waited;
    waited.start();
    while (form.PreviewPending() && waited.elapsed() < 20000) QTest::qWait(1);
}

const StepHistory& History(const Form1& form) { return form.History(); }

Form1Session::Form1Session() : folder(QDir(dir.path()).canonicalPath()) {}

Form1Session::Form1Session(const QString& existingFolder) : folder(existingFolder) {}

QString Form1Session::Write(const QString& name, const QImage& picture) const {
    return WritePicture(folder, name, picture);
}

Form1& Form1Session::Open(Form1Options options, Visibility visibility) {
    form = std::make_unique<Form1>(&dialogs, nullptr, NativeOf(folder), std::move(options));
    form->SetQuitHook([] {});
    if (visibility == Visibility::Shown) form->show();
    return *form;
}

Form1& Form1Session::Browse(Form1Options options, Visibility visibility) {
    Open(std::move(options), visibility);
    Trigger(*form, "mnuOpen");
    return *form;
}

bool Form1Session::Select(int index) const {
    const bool listed = form1::File1(*form)->SetListIndex(index);
    WaitPreview(*form);
    return listed;
}

Form1& Form1Session::Retouch(int index) const {
    Select(index);
    Trigger(*form, "mnuReal");
    return *form;
}

}  // namespace sorvenal::test
