// sorvenal-make-icons OUTDIR: the window icon at every hicolor size, as
// OUTDIR/NxN/apps/ID.png, drawn by the same code as the program's own icon.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "app/artwork.h"
#include "sorvenal/version.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("使い方: sorvenal-make-icons OUTDIR\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = out.filePath(folder + QStringLiteral("/" SORVENAL_DESKTOP_ID ".png"));
        if (!out.mkpath(folder) || !sorvenal::AppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "sorvenal-make-icons: %s を書けません\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
