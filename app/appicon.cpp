#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kerulo {

QIcon appIcon() {
    return QIcon(QPixmap::fromImage(appIconImage(32)));
}

QImage appIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32-unit grid, the size the tray shows it at.
    p.scale(size / 32.0, size / 32.0);
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
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    return image;
}

} // namespace kerulo
