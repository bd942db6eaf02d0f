#include "ui/clickpanel.h"

#include <QMouseEvent>

namespace kerulo {

ClickPanel::ClickPanel(const QString& name, const QString& caption, const QColor& face,
                       QWidget* parent)
    : QLabel(caption, parent) {
    setObjectName(name);
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, face);
    setPalette(p);
}

void ClickPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    else
        QLabel::mousePressEvent(event);
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

} // namespace kerulo
