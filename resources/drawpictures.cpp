// Draws the follow pictures that ship in the program's pic folder: 128 x 128 PNG files with
// soft, partly transparent edges. The pointer sits at 65,65 (the middle) in every picture, so
// the shipped pointer position fits whichever picture the user picks.
//
// Usage: kerulo_drawpictures <folder>

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

#include <cstdio>
#include <vector>

namespace {

constexpr int Size = 128;
// Centre of the pixel the pointer lies on.
const QPointF Pointer(65.5, 65.5);

QImage blankPicture() {
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// One box-blur pass along rows (horizontal) or columns; three passes come close to a Gaussian.
void boxBlurPass(QImage& image, int radius, bool horizontal) {
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<QRgb> line(length);
    for (int l = 0; l < lines; ++l) {
        auto pixel = [&](int i) -> QRgb& {
            const int x = horizontal ? i : l;
            const int y = horizontal ? l : i;
            return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
        };
        for (int i = 0; i < length; ++i)
            line[i] = pixel(i);
        for (int i = 0; i < length; ++i) {
            int sum[4] = {0, 0, 0, 0};
            for (int k = i - radius; k <= i + radius; ++k) {
                const QRgb p = k >= 0 && k < length ? line[k] : 0;
                sum[0] += qAlpha(p);
                sum[1] += qRed(p);
                sum[2] += qGreen(p);
                sum[3] += qBlue(p);
            }
            const int n = 2 * radius + 1;
            pixel(i) = qRgba(sum[1] / n, sum[2] / n, sum[3] / n, sum[0] / n);
        }
    }
}

QImage blurred(QImage image, int radius) {
    for (int pass = 0; pass < 3; ++pass) {
        boxBlurPass(image, radius, true);
        boxBlurPass(image, radius, false);
    }
    return image;
}

// A shape's soft shadow or glow: the shape filled in one colour, blurred.
QImage softShape(const QPainterPath& shape, const QColor& colour, int radius, QPointF offset = {}) {
    QImage image = blankPicture();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(offset);
    p.fillPath(shape, colour);
    p.end();
    return blurred(image, radius);
}

QPainterPath circle(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// A warm ring of light around the pointer, with a narrow glow inside and out. The window
// shows partly transparent pixels mixed with gray, so a wide faint glow would read as a gray
// band: the glow stays close to the ring, where it is strong.
QImage ring() {
    const qreal radius = 40;
    const qreal width = 10;
    const QPainterPath band =
        circle(Pointer, radius + width / 2).subtracted(circle(Pointer, radius - width / 2));

    QImage image = blankPicture();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, softShape(band, QColor(255, 150, 0, 230), 1));

    QLinearGradient body(Pointer - QPointF(radius, radius), Pointer + QPointF(radius, radius));
    body.setColorAt(0, QColor(255, 236, 90));
    body.setColorAt(0.5, QColor(255, 178, 20));
    body.setColorAt(1, QColor(238, 96, 10));
    p.fillPath(band, body);

    // A thin bright line along the band gives it some depth.
    p.setPen(QPen(QColor(255, 250, 215, 190), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(Pointer, radius - 1.5, radius - 1.5);
    p.setPen(QPen(QColor(150, 50, 0, 200), 1.4));
    p.drawPath(band);
    return image;
}

// A large pointer arrow whose tip is at the pointer, pointing up and left like the system's.
QImage arrow() {
    // The classic arrow outline in a 12 x 19 grid, tip at the origin.
    const QPolygonF outline({{0, 0},
                             {0, 16},
                             {3.9, 12.4},
                             {6.6, 18.4},
                             {9.4, 17.2},
                             {6.8, 11.3},
                             {11.6, 11.3},
                             {0, 0}});
    QTransform place;
    place.translate(Pointer.x(), Pointer.y());
    place.scale(3.2, 3.2);
    QPainterPath shape;
    shape.addPolygon(place.map(outline));

    QImage image = blankPicture();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(0, 0, softShape(shape, QColor(20, 10, 0, 150), 2, {3, 4}));

    QLinearGradient body(Pointer, Pointer + QPointF(30, 55));
    body.setColorAt(0, QColor(255, 240, 120));
    body.setColorAt(1, QColor(255, 140, 0));
    p.setBrush(body);
    p.setPen(QPen(QColor(60, 25, 0), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(shape);
    return image;
}

QPainterPath roundedRect(qreal x, qreal y, qreal w, qreal h, qreal r) {
    QPainterPath path;
    path.addRoundedRect(QRectF(x, y, w, h), r, r);
    return path;
}

// A pointing hand whose index fingertip is at the pointer.
QImage hand() {
    // Drawn in a 100 x 100 box with the fingertip at (36, 0), then scaled into place.
    const QPainterPath finger = roundedRect(28, 0, 17, 58, 8.5);
    const QPainterPath middle = roundedRect(44, 34, 15, 26, 7.5);
    const QPainterPath ring = roundedRect(57, 38, 14, 24, 7);
    const QPainterPath little = roundedRect(69, 43, 13, 22, 6.5);
    const QPainterPath palm = roundedRect(20, 50, 62, 40, 14);
    QPainterPath thumb = roundedRect(-14, -8, 34, 16, 8);
    thumb = QTransform().translate(22, 66).rotate(-38).map(thumb);
    const QPainterPath cuff = roundedRect(26, 86, 52, 14, 3);

    const QPainterPath handShape =
        finger.united(middle).united(ring).united(little).united(palm).united(thumb).simplified();

    QTransform place;
    place.translate(Pointer.x(), Pointer.y());
    place.scale(0.6, 0.6);
    place.translate(-36.5, 0);

    QImage image = blankPicture();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPainterPath whole = place.map(handShape.united(cuff));
    p.drawImage(0, 0, softShape(whole, QColor(20, 10, 0, 140), 2, {3, 3}));

    p.setTransform(place);
    const QPen outline(QColor(70, 35, 10), 2.6 / 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QLinearGradient cuffFill(0, 86, 0, 100);
    cuffFill.setColorAt(0, QColor(255, 255, 255));
    cuffFill.setColorAt(1, QColor(200, 215, 235));
    p.setPen(outline);
    p.setBrush(cuffFill);
    p.drawPath(cuff);

    QLinearGradient skin(0, 0, 100, 100);
    skin.setColorAt(0, QColor(255, 228, 196));
    skin.setColorAt(1, QColor(240, 180, 130));
    p.setBrush(skin);
    p.drawPath(handShape);

    // The folded fingers' separations and the thumb's crease.
    p.setPen(QPen(QColor(150, 85, 45), 1.8 / 0.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(45, 42), QPointF(45, 60));
    p.drawLine(QPointF(58, 44), QPointF(58, 62));
    p.drawLine(QPointF(70, 49), QPointF(70, 64));
    p.drawArc(QRectF(30, 62, 18, 14), 200 * 16, 110 * 16);
    // The fingernail.
    p.setPen(QPen(QColor(200, 130, 95), 1.4 / 0.6));
    p.setBrush(QColor(255, 240, 228));
    p.drawRoundedRect(QRectF(31.5, 3, 10, 11), 4, 4);
    return image;
}

bool save(const QImage& image, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG"))
        return true;
    std::fprintf(stderr, "kerulo_drawpictures: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kerulo_drawpictures <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kerulo_drawpictures: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok = save(ring(), folder, "ring.png") && save(arrow(), folder, "arrow.png") &&
                    save(hand(), folder, "hand.png");
    return ok ? 0 : 1;
}
