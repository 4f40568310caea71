#include "platform/fonts.h"

#include <QFontDatabase>
#include <QPalette>
#include <initializer_list>

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

// One colour for every role a control paints that part of itself with.
void SetPaletteColor(QWidget* widget, std::initializer_list<QPalette::ColorRole> roles,
                     const QColor& color) {
    QPalette p = widget->palette();
    for (const QPalette::ColorRole role : roles) p.setColor(role, color);
    widget->setPalette(p);
}
}  // namespace

QFont GothicFont(double pointSize, bool bold) {
    QFont font(GothicFamily());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void SetBackColor(QWidget* widget, const QColor& color) {
    SetPaletteColor(widget, {QPalette::Window, QPalette::Base, QPalette::Button}, color);
    widget->setAutoFillBackground(true);
}

void SetForeColor(QWidget* widget, const QColor& color) {
    SetPaletteColor(widget, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, color);
}

}  // namespace sorvenal
