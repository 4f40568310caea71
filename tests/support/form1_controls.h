#pragma once
// The main window's controls by objectName, for tests and benchmarks: File1(form)->ListCount().
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "app/preview_image.h"
#include "platform/busy_indicator.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "tests/support/controls.h"

namespace sorvenal::test::form1 {

inline PictureBox* Picture1(const QWidget& form) { return Control<PictureBox>(form, "Picture1"); }
inline PictureBox* Picture2(const QWidget& form) { return Control<PictureBox>(form, "Picture2"); }
inline PictureBox* Picture3(const QWidget& form) { return Control<PictureBox>(form, "Picture3"); }
inline PreviewImage* Image1(const QWidget& form) { return Control<PreviewImage>(form, "Image1"); }
inline QLabel* Image2(const QWidget& form) { return Control<QLabel>(form, "Image2"); }
inline QLabel* Image3(const QWidget& form) { return Control<QLabel>(form, "Image3"); }
inline QLabel* Image4(const QWidget& form) { return Control<QLabel>(form, "Image4"); }
inline FolderList* Dir1(const QWidget& form) { return Control<FolderList>(form, "Dir1"); }
inline FileList* File1(const QWidget& form) { return Control<FileList>(form, "File1"); }
inline QCheckBox* Check1(const QWidget& form) { return Control<QCheckBox>(form, "Check1"); }
inline QFrame* Frame3(const QWidget& form) { return Control<QFrame>(form, "Frame3"); }
inline QLabel* Label1(const QWidget& form) { return Control<QLabel>(form, "Label1"); }
inline QLabel* Label2(const QWidget& form) { return Control<QLabel>(form, "Label2"); }
inline QLabel* Label3(const QWidget& form) { return Control<QLabel>(form, "Label3"); }
inline QLabel* Label4(const QWidget& form) { return Control<QLabel>(form, "Label4"); }
inline QLabel* Label5(const QWidget& form) { return Control<QLabel>(form, "Label5"); }
inline QLabel* Label6(const QWidget& form) { return Control<QLabel>(form, "Label6"); }
inline QLabel* Label7(const QWidget& form) { return Control<QLabel>(form, "Label7"); }
inline QLabel* Label8(const QWidget& form) { return Control<QLabel>(form, "Label8"); }
inline QLabel* Label9(const QWidget& form) { return Control<QLabel>(form, "Label9"); }
inline QLabel* Label10(const QWidget& form) { return Control<QLabel>(form, "Label10"); }
inline QRadioButton* Option1(const QWidget& form) { return Control<QRadioButton>(form, "Option1"); }
inline QRadioButton* Option2(const QWidget& form) { return Control<QRadioButton>(form, "Option2"); }
inline QScrollBar* HScroll1(const QWidget& form) { return Control<QScrollBar>(form, "HScroll1"); }
inline QScrollBar* VScroll1(const QWidget& form) { return Control<QScrollBar>(form, "VScroll1"); }
inline QPushButton* Command1(const QWidget& form) { return Control<QPushButton>(form, "Command1"); }
inline BusyIndicator* Animation1(const QWidget& form) {
    return Control<BusyIndicator>(form, "Animation1");
}

}  // namespace sorvenal::test::form1
