#include "fileops/file_dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTime>
#include <QTimer>

#include "platform/file_system.h"
#include "platform/folder_list.h"
#include "platform/fonts.h"
#include "platform/twips.h"

namespace sorvenal {

namespace {

// Every text the three dialogs show, in one place.
const QString kCaption = QStringLiteral("ファイル操作");
const QString kRenameFileLabel = QStringLiteral("変更後のファイル名を記入してください");
const QString kRenameFolderLabel = QStringLiteral("変更後のフォルダー名を記入してください");
const QString kDestinationLabel = QStringLiteral("保存先のフォルダーを選択してください");
const QString kNewFolderLabel = QStringLiteral("新フォルダー名記入欄");
const QString kNewFolderText = QStringLiteral("新フォルダー名");
const QString kCancel = QStringLiteral("Cancel");
const QString kOk = QStringLiteral("OK");

void SetUpDialog(QDialog* dialog, const char* name, int clientWidth, int clientHeight) {
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(kCaption);
    dialog->setFont(GothicFont(9));
    dialog->setFixedSize(TwipsToPixels(clientWidth), TwipsToPixels(clientHeight));
}

template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(TwipsRect(left, top, width, height));
    return widget;
}

// Selects from the start for up to `length` characters, as the dialogs do on loading.
void SelectFromStart(QLineEdit* box, int length) {
    box->setSelection(0, static_cast<int>(std::min<qsizetype>(length, box->text().length())));
}

// The buttons of the two rename dialogs: Enter presses OK, Cancel closes.
void SetUpOkCancel(QDialog* dialog, QPushButton* cancel, QPushButton* ok) {
    cancel->setAutoDefault(false);
    ok->setAutoDefault(false);
    ok->setDefault(true);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

// The name box of the two rename dialogs: the old name, selected for typing over.
void PrepareNameBox(QLineEdit* box, const QString& name) {
    box->setText(name);
    SelectFromStart(box, 50);
    box->setFocus();
}

}  // namespace

float SecondsSinceMidnight() {
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

Form7::Form7(const QString& fileName, QWidget* parent) : QDialog(parent) {
    SetUpDialog(this, "Form7", 4365, 1590);
    Label1 = Place(new QLabel(kRenameFileLabel, this), "Label1", 240, 120, 3885, 225);
    Text1 = Place(new QLineEdit(this), "Text1", 600, 600, 3015, 270);
    Command1 = Place(new QPushButton(kCancel, this), "Command1", 600, 1080, 1095, 375);
    Command2 = Place(new QPushButton(kOk, this), "Command2", 2640, 1080, 1095, 375);
    SetUpOkCancel(this, Command1, Command2);
    PrepareNameBox(Text1, fileName.left(ExtensionAt(fileName)));
}

Form5::Form5(const QString& folderPath, const QString& parentPath, QWidget* parent)
    : QDialog(parent) {
    SetUpDialog(this, "Form5", 4170, 1950);
    Label2 = Place(new QLabel(kRenameFolderLabel, this), "Label2", 120, 240, 3840, 225);
    Text1 = Place(new QLineEdit(this), "Text1", 120, 720, 3855, 375);
    Command10 = Place(new QPushButton(kCancel, this), "Command10", 600, 1320, 1095, 375);
    Command12 = Place(new QPushButton(kOk, this), "Command12", 2520, 1320, 975, 375);
    SetUpOkCancel(this, Command10, Command12);

    // The folder's own name: what the path has beyond its parent, without separators.
    QString own =
        folderPath.right(std::max<qsizetype>(0, folderPath.length() - parentPath.length()));
    own.remove(QLatin1Char('/'));
    PrepareNameBox(Text1, own);
}

Form6::Form6(const NativePath& startFolder, QWidget* parent) : QDialog(parent) {
    SetUpDialog(this, "Form6", 5100, 3750);
    loadTime_ = SecondsSinceMidnight();
    Label15 = Place(new QLabel(kDestinationLabel, this), "Label15", 240, 120, 3900, 225);
    Dir2 = Place(new FolderList(this), "Dir2", 120, 480, 2895, 3030);
    Label16 = Place(new QLabel(kNewFolderLabel, this), "Label16", 3120, 1320, 1725, 180);
    Text2 = Place(new QLineEdit(kNewFolderText, this), "Text2", 3120, 1560, 1815, 270);
    Command12 = Place(new QPushButton(kCancel, this), "Command12", 3480, 2280, 975, 375);
    Command13 = Place(new QPushButton(kOk, this), "Command13", 3480, 2880, 975, 375);
    Command14 = Place(new QPushButton(kOk, this), "Command14", 3480, 3000, 975, 375);
    Command15 = Place(new QPushButton(kOk, this), "Command15", 3480, 3120, 975, 375);
    for (QPushButton* button : {Command12, Command13, Command14, Command15})
        button->setAutoDefault(false);
    Label16->hide();
    Text2->hide();
    Command13->hide();
    Command14->hide();
    Command15->hide();
    connect(Command12, &QPushButton::clicked, this, &QDialog::reject);

    Dir2->SetNativePath(startFolder);
    SelectFromStart(Text2, 20);
    Text2->installEventFilter(this);
    setMouseTracking(true);
}

// Enter presses whichever OK the command showed.
void Form6::showEvent(QShowEvent* event) {
    for (QPushButton* ok : {Command13, Command14, Command15})
        if (ok->isVisibleTo(this)) ok->setDefault(true);
    QDialog::showEvent(event);
}

// Whenever the name box takes the focus its text is selected, so typing replaces it. Qt puts
// the cursor where the mouse pressed after the focus event, hence the queued selection.
bool Form6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text2 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, Text2, [box = Text2] { box->selectAll(); });
    return QDialog::eventFilter(watched, event);
}

void Form6::mouseMoveEvent(QMouseEvent* event) {
    // Only the dialog's own background counts, not the controls on it. The time test holds
    // at every moment after loading unless the clock has passed midnight since.
    const bool background = childAt(event->position().toPoint()) == nullptr;
    if (background && Text2->isVisible() && loadTime_ - SecondsSinceMidnight() < 1.0f)
        Text2->setFocus();
    QDialog::mouseMoveEvent(event);
}

}  // namespace sorvenal
