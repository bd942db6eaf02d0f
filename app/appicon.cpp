#include "app/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kerulo {

QIcon appIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
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
    return QIcon(pixmap);
}

} // namespace kerulo
