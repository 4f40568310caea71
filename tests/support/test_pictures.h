#pragma once
// Pictures and folders the tests make for themselves.
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

// Failure messages show QStrings as text rather than as code units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace sorvenal::test {

// A picture with a different colour at every pixel, so misplaced pixels show.
QImage GradientPicture(int width, int height);
// Writes the picture in the format the suffix names (bmp, jpg, gif, png); returns the path.
QString WritePicture(const QString& folder, const QString& name, const QImage& picture);
// Writes bytes that are no picture at all.
QString WriteGarbage(const QString& folder, const QString& name);
// A readable description of the first differing pixel, empty when equal.
QString FirstDifference(const QImage& expected, const QImage& actual);

}  // namespace sorvenal::test
