#include "platform/fonts.h"

#include <QFontDatabase>
#include <QPalette>

namespace sorvenal {

namespace {
QString GothicFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& name :
             {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
              QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
              QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")}) {
            if (installed.contains(name)) return name;
        }
        return QStringLiteral("Sans Serif");
    }();
    return family;
}
}  // namespace

QFont GothicFont(double pointSize, bool bold) {
    QFont font(GothicFamily());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void SetBackColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Button, color);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void SetForeColor(QWidget* widget, const QColor& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    p.setColor(QPalette::ButtonText, color);
    widget->setPalette(p);
}

}  // namespace sorvenal
