#include "savehelp/version_dialog.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "platform/fonts.h"
#include "platform/twips.h"

namespace sorvenal {

namespace {
const QString kCaption = QStringLiteral("バージョン");
const QString kName = QStringLiteral("ソルベナル");
const QString kOk = QStringLiteral("OK");

void SetWindowColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
}  // namespace

Form4::Form4(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(kCaption);
    setWindowIcon(icon);
    setFixedSize(TwipsToPixels(5580), TwipsToPixels(1725));
    // Only the ground is brown; the button keeps its own colours.
    SetWindowColor(this, Rgb(128, 64, 0));

    Image6 = new QLabel(this);
    Image6->setObjectName(QStringLiteral("Image6"));
    Image6->setGeometry(TwipsRect(240, 480, 480, 480));
    Image6->setPixmap(icon.pixmap(32, 32));

    Label1 = new QLabel(kName, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(TwipsRect(1200, 120, 3000, 525));
    Label1->setFont(GothicFont(26.25, true));
    SetForeColor(Label1, Rgb(192, 255, 192));

    // A one-pixel rule from (1080, 840) to (4200, 840).
    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(TwipsToPixels(1080), TwipsToPixels(840), TwipsToPixels(4200 - 1080), 1);
    SetWindowColor(Line1, Rgb(0, 192, 0));

    Command1 = new QPushButton(kOk, this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(4560, 1080, 735, 375));
    Command1->setFont(GothicFont(12, true));
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
}

void ShowVersionDialog(QWidget* owner, const QIcon& icon,
                       const std::function<void(QDialog&)>& runModal) {
    Form4 form(icon, owner);
    if (runModal)
        runModal(form);
    else
        form.exec();
}

}  // namespace sorvenal
