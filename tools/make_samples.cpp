// sorvenal-make-samples: draws the sample pictures (a portrait, a backlit scene, a large
// landscape, a small bitmap and a GIF) so that a first run has something to open.
//   sorvenal-make-samples FOLDER
//   sorvenal-make-samples --photo WIDTH HEIGHT OUT.jpg   (one landscape of any size)
// The drawings are procedural and seeded, so every build makes the same files.
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/error_texts.h"
#include "platform/picture_io.h"
#include "tools/gif_writer.h"

namespace {

// A small seeded generator: the same pictures on every machine.
class Random {
public:
    explicit Random(quint32 seed) : state_(seed * 2654435761u + 1) {}
    quint32 Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double Uniform(double low, double high) { return low + (high - low) * (Next() / 4294967296.0); }

private:
    quint32 state_;
};

// Film-like grain: mostly brightness, a little colour.
void AddGrain(QImage& image, int strength, quint32 seed) {
    Random random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const quint32 bits = random.Next();
            const int luma = static_cast<int>(bits & 0xFF) * (2 * strength + 1) / 256 - strength;
            const int chroma = static_cast<int>((bits >> 8) & 3) - 1;
            const QRgb p = row[x];
            row[x] = qRgb(std::clamp(qRed(p) + luma + chroma, 0, 255),
                          std::clamp(qGreen(p) + luma, 0, 255),
                          std::clamp(qBlue(p) + luma - chroma, 0, 255));
        }
    }
}

// A soft round light or shadow: colour at the centre fading to nothing at the radius.
void SoftSpot(QPainter& p, QPointF centre, double rx, double ry, QColor colour) {
    QRadialGradient gradient(QPointF(0, 0), 1.0);
    QColor clear = colour;
    clear.setAlpha(0);
    gradient.setColorAt(0, colour);
    gradient.setColorAt(0.6,
                        QColor(colour.red(), colour.green(), colour.blue(), colour.alpha() / 2));
    gradient.setColorAt(1, clear);
    p.save();
    p.translate(centre);
    p.scale(rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(gradient);
    p.drawEllipse(QPointF(0, 0), 1.0, 1.0);
    p.restore();
}

// A ridge line by midpoint displacement across the width, as y values per x step.
std::vector<double> Ridge(int points, double base, double roughness, Random& random) {
    std::vector<double> y(points, base);
    double spread = roughness;
    for (int step = points - 1; step > 1; step /= 2, spread *= 0.55)
        for (int i = step / 2; i < points; i += step) {
            const int left = i - step / 2, right = std::min(points - 1, i + step / 2);
            y[i] = (y[left] + y[right]) / 2 + random.Uniform(-spread, spread);
        }
    return y;
}

QPainterPath RidgePath(const std::vector<double>& ridge, double width, double bottom) {
    QPainterPath path;
    const double dx = width / (ridge.size() - 1);
    path.moveTo(0, bottom);
    for (size_t i = 0; i < ridge.size(); ++i) path.lineTo(i * dx, ridge[i]);
    path.lineTo(width, bottom);
    path.closeSubpath();
    return path;
}

QImage Portrait() {
    const int w = 640, h = 800;
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, w, h);
    background.setColorAt(0, QColor(96, 118, 112));
    background.setColorAt(1, QColor(168, 150, 120));
    p.fillRect(image.rect(), background);
    Random random(11);
    for (int i = 0; i < 14; ++i)  // out-of-focus lights behind the sitter
        SoftSpot(p, QPointF(random.Uniform(0, w), random.Uniform(0, h * 0.6)),
                 random.Uniform(30, 90), random.Uniform(30, 90),
                 QColor(240, 230, 190, static_cast<int>(random.Uniform(40, 110))));

    // Hair behind the head.
    p.setPen(Qt::NoPen);
    QRadialGradient hair(QPointF(320, 300), 230);
    hair.setColorAt(0, QColor(70, 44, 30));
    hair.setColorAt(1, QColor(30, 18, 12));
    p.setBrush(hair);
    p.drawEllipse(QPointF(320, 330), 175, 215);
    p.drawRoundedRect(QRectF(150, 330, 340, 300), 120, 120);

    // Shoulders and sweater.
    QPainterPath body;
    body.moveTo(40, h);
    body.cubicTo(60, 640, 200, 600, 320, 600);
    body.cubicTo(440, 600, 580, 640, 600, h);
    body.closeSubpath();
    QLinearGradient sweater(0, 600, 0, h);
    sweater.setColorAt(0, QColor(60, 80, 130));
    sweater.setColorAt(1, QColor(30, 40, 75));
    p.setBrush(sweater);
    p.drawPath(body);

    // Neck, then the face: a slightly dull skin tone, the kind the skin click brightens.
    QLinearGradient neck(260, 0, 380, 0);
    neck.setColorAt(0, QColor(150, 105, 85));
    neck.setColorAt(0.5, QColor(192, 142, 116));
    neck.setColorAt(1, QColor(150, 105, 85));
    p.setBrush(neck);
    p.drawRoundedRect(QRectF(265, 450, 110, 170), 40, 40);
    QRadialGradient face(QPointF(300, 300), 190);
    face.setColorAt(0, QColor(214, 166, 138));
    face.setColorAt(0.7, QColor(196, 146, 118));
    face.setColorAt(1, QColor(160, 112, 90));
    p.setBrush(face);
    p.drawEllipse(QPointF(320, 345), 122, 158);
    SoftSpot(p, QPointF(245, 400), 45, 30, QColor(220, 110, 100, 70));  // cheeks
    SoftSpot(p, QPointF(395, 400), 45, 30, QColor(220, 110, 100, 70));

    // Fringe over the forehead.
    QPainterPath fringe;
    fringe.moveTo(190, 330);
    fringe.cubicTo(200, 170, 430, 150, 455, 330);
    fringe.cubicTo(420, 250, 330, 235, 280, 260);
    fringe.cubicTo(240, 280, 215, 300, 190, 330);
    p.setBrush(hair);
    p.drawPath(fringe);

    // Eyes, brows, nose and mouth.
    for (const double cx : {270.0, 370.0}) {
        p.setBrush(QColor(245, 240, 235));
        p.drawEllipse(QPointF(cx, 345), 24, 12);
        QRadialGradient iris(QPointF(cx, 345), 11);
        iris.setColorAt(0, QColor(90, 60, 40));
        iris.setColorAt(1, QColor(50, 32, 22));
        p.setBrush(iris);
        p.drawEllipse(QPointF(cx, 345), 11, 11);
        p.setBrush(QColor(15, 10, 8));
        p.drawEllipse(QPointF(cx, 345), 5, 5);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawEllipse(QPointF(cx + 4, 341), 2.5, 2.5);
        p.setPen(QPen(QColor(60, 38, 26), 6, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(cx - 32, 300, 64, 30), 30 * 16, 120 * 16);
        p.setPen(Qt::NoPen);
    }
    SoftSpot(p, QPointF(326, 410), 14, 30, QColor(150, 95, 75, 90));
    QPainterPath lips;
    lips.moveTo(280, 455);
    lips.cubicTo(300, 445, 340, 445, 360, 455);
    lips.cubicTo(340, 478, 300, 478, 280, 455);
    p.setBrush(QColor(178, 78, 82));
    p.drawPath(lips);
    p.end();
    AddGrain(image, 5, 1);
    return image;
}

QImage Backlit() {
    const int w = 1024, h = 768;
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h * 0.7);
    sky.setColorAt(0, QColor(150, 190, 230));
    sky.setColorAt(0.7, QColor(245, 240, 225));
    sky.setColorAt(1, QColor(255, 250, 235));
    p.fillRect(image.rect(), sky);
    SoftSpot(p, QPointF(690, 330), 260, 220, QColor(255, 255, 240, 230));
    SoftSpot(p, QPointF(690, 330), 60, 60, QColor(255, 255, 255, 255));

    // Dark foreground: hills, a tree and a house, underexposed but not black.
    Random random(5);
    const auto far = Ridge(65, h * 0.62, 40, random);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(78, 80, 92));
    p.drawPath(RidgePath(far, w, h));
    const auto near = Ridge(65, h * 0.72, 30, random);
    QLinearGradient ground(0, h * 0.65, 0, h);
    ground.setColorAt(0, QColor(44, 50, 38));
    ground.setColorAt(1, QColor(24, 26, 22));
    p.setBrush(ground);
    p.drawPath(RidgePath(near, w, h));
    for (int i = 0; i < 900; ++i) {  // grass
        const double x = random.Uniform(0, w), y = random.Uniform(h * 0.74, h);
        p.setPen(QPen(QColor(40 + int(random.Uniform(0, 25)), 52 + int(random.Uniform(0, 25)), 30),
                      1.5));
        p.drawLine(QPointF(x, y), QPointF(x + random.Uniform(-4, 4), y - random.Uniform(6, 18)));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 30, 28));
    p.drawRect(QRectF(228, 400, 22, 190));  // trunk
    for (int i = 0; i < 60; ++i) {          // foliage, lit a little at the rim by the sun
        const QPointF leaf(239 + random.Uniform(-85, 85), 370 + random.Uniform(-80, 45));
        p.setBrush(QColor(26 + int(random.Uniform(0, 14)), 36 + int(random.Uniform(0, 16)), 26));
        p.drawEllipse(leaf, random.Uniform(22, 40), random.Uniform(18, 32));
    }
    p.setBrush(QColor(52, 46, 44));
    p.drawRect(QRectF(520, 500, 190, 120));
    QPolygonF roof;
    roof << QPointF(505, 502) << QPointF(615, 430) << QPointF(725, 502);
    p.setBrush(QColor(40, 32, 32));
    p.drawPolygon(roof);
    p.setBrush(QColor(120, 96, 60));
    p.drawRect(QRectF(550, 530, 34, 30));
    p.drawRect(QRectF(640, 530, 34, 30));
    p.end();
    AddGrain(image, 4, 2);
    return image;
}

QImage Landscape(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double horizon = h * 0.58;
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor(70, 120, 190));
    sky.setColorAt(1, QColor(200, 220, 235));
    p.fillRect(QRectF(0, 0, w, horizon + 2), sky);
    Random random(3);
    const double s = w / 3000.0;    // shapes scale with the picture
    for (int i = 0; i < 40; ++i) {  // clouds
        const QPointF c(random.Uniform(0, w), random.Uniform(h * 0.05, h * 0.3));
        for (int k = 0; k < 6; ++k)
            SoftSpot(p, c + QPointF(random.Uniform(-150, 150) * s, random.Uniform(-30, 30) * s),
                     random.Uniform(80, 160) * s, random.Uniform(30, 60) * s,
                     QColor(255, 255, 255, 120));
    }
    const QColor ranges[] = {QColor(140, 160, 185), QColor(95, 120, 140), QColor(60, 90, 80)};
    for (int r = 0; r < 3; ++r) {
        const auto ridge =
            Ridge(257, horizon - (0.26 - 0.07 * r) * h, (0.18 - 0.04 * r) * h, random);
        QLinearGradient shade(0, horizon - 0.35 * h, 0, horizon);
        shade.setColorAt(0, ranges[r].lighter(112));
        shade.setColorAt(1, ranges[r]);
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawPath(RidgePath(ridge, w, horizon + 1));
        if (r == 0) {  // snow on the far peaks
            p.save();
            p.setClipPath(RidgePath(ridge, w, horizon + 1));
            p.fillRect(QRectF(0, 0, w, horizon - 0.33 * h), QColor(235, 240, 248));
            p.restore();
        }
    }
    // The lake mirrors the sky, darker and bluer.
    QLinearGradient lake(0, horizon, 0, h * 0.8);
    lake.setColorAt(0, QColor(120, 150, 175));
    lake.setColorAt(1, QColor(40, 70, 100));
    p.fillRect(QRectF(0, horizon, w, h * 0.25), lake);
    for (int i = 0; i < 500; ++i) {  // ripples
        const double y = random.Uniform(horizon + 4, h * 0.8), x = random.Uniform(0, w);
        p.setPen(QPen(QColor(200, 215, 230, 70), 1.5 * s));
        p.drawLine(QPointF(x, y), QPointF(x + random.Uniform(20, 90) * s, y));
    }
    // Forest along the far shore.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 700; ++i) {
        const double x = random.Uniform(0, w), height = random.Uniform(25, 70) * s;
        const double base = horizon + random.Uniform(0, 8) * s;
        QPolygonF tree;
        tree << QPointF(x - height * 0.22, base) << QPointF(x, base - height)
             << QPointF(x + height * 0.22, base);
        p.setBrush(QColor(28 + int(random.Uniform(0, 20)), 60 + int(random.Uniform(0, 25)), 40));
        p.drawPolygon(tree);
    }
    // Meadow in front, with flowers.
    const auto meadow = Ridge(129, h * 0.8, 0.03 * h, random);
    QLinearGradient grass(0, h * 0.76, 0, h);
    grass.setColorAt(0, QColor(110, 150, 60));
    grass.setColorAt(1, QColor(60, 100, 35));
    p.setBrush(grass);
    p.drawPath(RidgePath(meadow, w, h));
    for (int i = 0; i < 2500; ++i) {
        const double x = random.Uniform(0, w), y = random.Uniform(h * 0.82, h);
        const double depth = (y - h * 0.8) / (h * 0.2);
        p.setPen(QPen(QColor(70 + int(random.Uniform(0, 50)), 120 + int(random.Uniform(0, 50)), 40),
                      (1 + 2 * depth) * s));
        p.drawLine(QPointF(x, y),
                   QPointF(x + random.Uniform(-6, 6) * s, y - (10 + 30 * depth) * s));
    }
    const QColor blossoms[] = {QColor(240, 220, 80), QColor(245, 245, 240), QColor(210, 80, 120)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 400; ++i) {
        const double y = random.Uniform(h * 0.83, h);
        const double depth = (y - h * 0.8) / (h * 0.2);
        p.setBrush(blossoms[i % 3]);
        p.drawEllipse(QPointF(random.Uniform(0, w), y), (2 + 5 * depth) * s, (2 + 5 * depth) * s);
    }
    p.end();
    AddGrain(image, 4, 3);
    return image;
}

QImage StillLife() {
    QImage image(200, 150, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, 100);
    wall.setColorAt(0, QColor(200, 190, 170));
    wall.setColorAt(1, QColor(160, 150, 130));
    p.fillRect(QRect(0, 0, 200, 100), wall);
    QLinearGradient table(0, 100, 0, 150);
    table.setColorAt(0, QColor(130, 85, 50));
    table.setColorAt(1, QColor(90, 55, 30));
    p.fillRect(QRect(0, 100, 200, 50), table);
    SoftSpot(p, QPointF(95, 115), 70, 10, QColor(40, 25, 15, 150));  // shadow
    p.setPen(Qt::NoPen);
    QRadialGradient apple(QPointF(60, 92), 28);
    apple.setColorAt(0, QColor(235, 80, 60));
    apple.setColorAt(1, QColor(130, 20, 20));
    p.setBrush(apple);
    p.drawEllipse(QPointF(66, 98), 22, 20);
    SoftSpot(p, QPointF(58, 90), 6, 4, QColor(255, 240, 230, 200));
    QLinearGradient cup(105, 0, 150, 0);
    cup.setColorAt(0, QColor(190, 200, 215));
    cup.setColorAt(0.4, QColor(250, 250, 252));
    cup.setColorAt(1, QColor(150, 160, 175));
    p.setBrush(cup);
    p.drawRoundedRect(QRectF(105, 70, 45, 45), 8, 8);
    p.setPen(QPen(QColor(170, 180, 195), 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(154, 90), 10, 12);
    p.end();
    AddGrain(image, 3, 4);
    return image;
}

// Flat shapes in a handful of colours, the kind of picture GIF is for.
QImage Poster() {
    QImage image(320, 240, QImage::Format_RGB32);
    QPainter p(&image);
    const QColor bands[] = {QColor(250, 200, 120), QColor(245, 170, 100), QColor(235, 140, 90),
                            QColor(215, 110, 90)};
    for (int i = 0; i < 4; ++i) p.fillRect(QRect(0, i * 40, 320, 40), bands[i]);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 240, 170));
    p.drawEllipse(QPoint(220, 120), 40, 40);
    p.setBrush(QColor(90, 60, 100));
    p.drawPolygon(QPolygon({QPoint(0, 240), QPoint(0, 150), QPoint(90, 110), QPoint(190, 160),
                            QPoint(320, 130), QPoint(320, 240)}));
    p.setBrush(QColor(50, 35, 65));
    p.drawPolygon(QPolygon(
        {QPoint(0, 240), QPoint(0, 200), QPoint(140, 170), QPoint(320, 205), QPoint(320, 240)}));
    p.setBrush(QColor(240, 230, 210));
    p.drawRect(QRect(60, 165, 40, 30));
    p.setBrush(QColor(170, 60, 60));
    p.drawPolygon(QPolygon({QPoint(55, 166), QPoint(80, 146), QPoint(105, 166)}));
    p.setBrush(QColor(255, 220, 120));
    p.drawRect(QRect(70, 175, 10, 10));
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

bool SaveJpeg(const QImage& image, const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    if (writer.write(image)) return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 4 && args[0] == QLatin1String("--photo")) {
        bool wideOk = false, highOk = false;
        const int w = args[1].toInt(&wideOk), h = args[2].toInt(&highOk);
        if (!wideOk || !highOk || w < 16 || h < 16 || w > 20000 || h > 20000) {
            std::fprintf(stderr, "sorvenal-make-samples: size out of range\n");
            return 2;
        }
        return SaveJpeg(Landscape(w, h), args[3]) ? 0 : 1;
    }
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr,
                     "usage: sorvenal-make-samples FOLDER\n"
                     "       sorvenal-make-samples --photo WIDTH HEIGHT OUT.jpg\n");
        return 2;
    }
    const QDir folder(args[0]);
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "sorvenal-make-samples: cannot make %s\n", qPrintable(folder.path()));
        return 1;
    }
    bool ok = SaveJpeg(Portrait(), folder.filePath("portrait.jpg"));
    ok = SaveJpeg(Backlit(), folder.filePath("backlit.jpg")) && ok;
    ok = SaveJpeg(Landscape(3000, 2000), folder.filePath("landscape.jpg")) && ok;
    const sorvenal::WriteResult bmp =
        sorvenal::WriteBmp24(StillLife(), folder.filePath("small.bmp"), true);
    if (!bmp.ok())
        std::fprintf(stderr, "small.bmp: %s\n",
                     qPrintable(sorvenal::PictureErrorText(bmp.failure)));
    ok = bmp.ok() && ok;
    if (!sorvenal::WriteGif(Poster(), folder.filePath("poster.gif"))) {
        std::fprintf(stderr, "poster.gif: cannot write\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
