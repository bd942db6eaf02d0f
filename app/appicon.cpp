#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kerulo {

namespace {

// The sizes trays and panels of common desktops draw their icons at; a tray that exports the
// icon over the message bus sends each of them.
constexpr int Sizes[] = {16, 22, 24, 32, 48, 64};

} // namespace

// The figure is laid out on a 32-pixel grid and scaled; the outline keeps at least one pixel.
QImage appIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal scale = size / 32.0;
    p.scale(scale, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 196, 0, 170));
    p.drawEllipse(QPointF(12, 11), 10, 10);
    QPainterPath arrow;
    arrow.moveTo(12, 6);
    arrow.lineTo(12, 28);
    arrow.lineTo(17, 23);
    arrow.lineTo(21, 31);
    arrow.lineTo(24, 29);
    arrow.lineTo(20, 21);
    arrow.lineTo(27, 21);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, qMax(1.5, 1.0 / scale)));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    return image;
}

QIcon appIcon() {
    QIcon icon;
    for (int size : Sizes)
        icon.addPixmap(QPixmap::fromImage(appIconImage(size)));
    return icon;
}

} // namespace kerulo
