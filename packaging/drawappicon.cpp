// Draws the program's icon as PNG files for the desktop's icon theme: the same drawing the
// program shows in its tray and window frames, at each size the menus ask for.
//
// Usage: kerulo_drawappicon <folder> <size>...   writes <folder>/<size>/kerulo.png

#include "app/appicon.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            std::fprintf(stderr, "%s: not an icon size: %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString dir = folder + QLatin1Char('/') + QString::number(size);
        const QString file = dir + QStringLiteral("/kerulo.png");
        if (!QDir().mkpath(dir) || !kerulo::appIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
