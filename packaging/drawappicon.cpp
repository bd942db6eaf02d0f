// Draws the program's icon: the same drawing the program shows in its tray and window frames, at
// each size the menus ask for.
//
// Usage: kerulo_drawappicon <folder> <size>...          writes <folder>/<size>/kerulo.png
//        kerulo_drawappicon --ico <file.ico> <size>...  writes one Windows icon file of all sizes

#include "app/appicon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>

#include <cstdio>

namespace {

void appendLittleEndian16(QByteArray& out, quint16 value) {
    const quint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

void appendLittleEndian32(QByteArray& out, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), sizeof le);
}

// An .ico file whose images are stored as PNG, which Windows reads since Vista at every size:
// a 6-byte header, one 16-byte directory entry per image, then the images. A width or height
// of 256 is written as 0.
bool writeIco(const QString& file, const QList<int>& sizes) {
    QList<QByteArray> pngs;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!kerulo::appIconImage(size).save(&buffer, "PNG"))
            return false;
        pngs.append(png);
    }
    QByteArray out;
    appendLittleEndian16(out, 0); // reserved
    appendLittleEndian16(out, 1); // an icon, not a cursor
    appendLittleEndian16(out, quint16(sizes.size()));
    quint32 offset = quint32(6 + 16 * sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        const char side = char(sizes[i] >= 256 ? 0 : sizes[i]);
        out.append(side).append(side);
        out.append(char(0)).append(char(0)); // no palette, reserved
        appendLittleEndian16(out, 1);        // colour planes
        appendLittleEndian16(out, 32);       // bits per pixel
        appendLittleEndian32(out, quint32(pngs[i].size()));
        appendLittleEndian32(out, offset);
        offset += quint32(pngs[i].size());
    }
    for (const QByteArray& png : pngs)
        out.append(png);
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size();
}

} // namespace

int main(int argc, char** argv) {
    const bool ico = argc > 1 && QByteArray(argv[1]) == "--ico";
    const int first = ico ? 3 : 2;
    if (argc <= first) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n       %s --ico <file> <size>...\n",
                     argv[0], argv[0]);
        return 2;
    }
    QList<int> sizes;
    for (int i = first; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        // An icon file holds sizes up to 256 only.
        if (!ok || size < 16 || size > (ico ? 256 : 1024)) {
            std::fprintf(stderr, "%s: not an icon size: %s\n", argv[0], argv[i]);
            return 2;
        }
        sizes.append(size);
    }
    const QString target = QString::fromLocal8Bit(argv[first - 1]);
    if (ico) {
        if (!writeIco(target, sizes)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(target));
            return 1;
        }
        return 0;
    }
    for (int size : sizes) {
        const QString dir = target + QLatin1Char('/') + QString::number(size);
        const QString file = dir + QStringLiteral("/kerulo.png");
        if (!QDir().mkpath(dir) || !kerulo::appIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
