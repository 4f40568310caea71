#pragma once
#include <QColor>
#include <QFont>
#include <QWidget>

namespace sorvenal {

// "ＭＳ Ｐゴシック" where installed, else IPAPGothic or another Japanese Gothic.
QFont GothicFont(double pointSize, bool bold = false);
// The colour of red, green and blue parts 0-255.
inline QColor Rgb(int r, int g, int b) { return QColor(r, g, b); }
void SetBackColor(QWidget* widget, const QColor& color);
void SetForeColor(QWidget* widget, const QColor& color);

}  // namespace sorvenal
