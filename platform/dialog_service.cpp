#include "platform/dialog_service.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/picture_writers.h"

namespace sorvenal {

namespace {
const QString kDefaultTitle = QStringLiteral("sorvenal");
const QString kQualityTitle = QStringLiteral("JPEG の画質");
const QString kQualityLabel = QStringLiteral("画質 (%1～%2):");
const QString kEstimateLabel = QStringLiteral("推定ファイルサイズ: 約 %1");
const QString kCancelCaption = QStringLiteral("キャンセル");

QString ShownBytes(qint64 bytes) {
    if (bytes < 1'000'000) return QStringLiteral("%1 KB").arg((bytes + 999) / 1000);
    return QStringLiteral("%1 MB").arg(double(bytes) / 1e6, 0, 'f', 1);
}
}  // namespace

// A window manager may leave the keyboard with the main window when a box opens right after a
// menu closed; the box asks for it, so the keys the user types next answer it.
int ExecActive(QDialog& dialog) {
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.raise();
        dialog.activateWindow();
    });
    return dialog.exec();
}

void QtDialogService::Message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Information, kDefaultTitle, text, QMessageBox::Ok, parent);
    ExecActive(box);
}

namespace {

bool Ask(QWidget* parent, const QString& text, QMessageBox::StandardButton byDefault) {
    QMessageBox box(QMessageBox::Question, kDefaultTitle, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(byDefault);
    return ExecActive(box) == QMessageBox::Yes;
}

}  // namespace

bool QtDialogService::AskYesNo(QWidget* parent, const QString& text) {
    return Ask(parent, text, QMessageBox::No);
}

bool QtDialogService::AskYesNoDefaultYes(QWidget* parent, const QString& text) {
    return Ask(parent, text, QMessageBox::Yes);
}

std::optional<SaveFileChoice> QtDialogService::AskSaveFileName(QWidget* parent,
                                                               const SaveFileRequest& request) {
    QFileDialog dialog(parent, QString(), request.initialDir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // File types with no name pattern: every file is listed under each label.
    const auto filter = [](const QString& label) { return label + QStringLiteral(" (*)"); };
    QStringList filters;
    for (const QString& label : request.filterLabels) filters << filter(label);
    if (filters.isEmpty()) filters << filter(request.filterLabel);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filter(request.filterLabel));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The name written is the chosen one with an extension added, and the save refuses it
    // when it exists; a question about the name as typed would ask about the wrong file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // With no name of its own to propose, the dialog proposes the one chosen last time.
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    else if (!lastSaveName_.isEmpty())
        dialog.selectFile(lastSaveName_);
    if (ExecActive(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    lastSaveName_ = dialog.selectedFiles().constFirst();
    QString label = dialog.selectedNameFilter();
    label.chop(4);  // " (*)"
    return SaveFileChoice{lastSaveName_, label};
}

std::optional<int> QtDialogService::AskJpegQuality(QWidget* parent, int quality,
                                                   const std::function<qint64(int)>& estimate) {
    QDialog box(parent);
    box.setObjectName(QStringLiteral("JpegQualityBox"));
    box.setWindowTitle(kQualityTitle);
    auto* slider = new QSlider(Qt::Horizontal, &box);
    auto* spin = new QSpinBox(&box);
    spin->setObjectName(QStringLiteral("JpegQuality"));
    slider->setRange(kMinJpegQuality, kMaxJpegQuality);
    slider->setValue(quality);
    spin->setRange(kMinJpegQuality, kMaxJpegQuality);
    spin->setValue(quality);
    auto* size = new QLabel(&box);
    size->setObjectName(QStringLiteral("JpegSizeEstimate"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    buttons->button(QDialogButtonBox::Cancel)->setText(kCancelCaption);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(kQualityLabel.arg(kMinJpegQuality).arg(kMaxJpegQuality), &box));
    row->addWidget(slider, 1);
    row->addWidget(spin);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row);
    layout->addWidget(size);
    layout->addWidget(buttons);
    box.setMinimumWidth(360);

    // A sample encode takes a moment on a large photo: one estimate once the value settles.
    QTimer settle;
    settle.setSingleShot(true);
    settle.setInterval(120);
    const auto update = [&] {
        if (estimate) size->setText(kEstimateLabel.arg(ShownBytes(estimate(spin->value()))));
    };
    QObject::connect(&settle, &QTimer::timeout, &box, update);
    QObject::connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    QObject::connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    QObject::connect(spin, &QSpinBox::valueChanged, &settle, [&settle] { settle.start(); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    update();
    if (ExecActive(box) != QDialog::Accepted) return std::nullopt;
    return spin->value();
}

}  // namespace sorvenal
