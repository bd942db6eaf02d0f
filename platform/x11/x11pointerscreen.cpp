#include "platform/x11/x11pointerscreen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace kerulo {

std::optional<QPoint> X11PointerScreen::position() const {
    return QCursor::pos();
}

QSize X11PointerScreen::primaryScreenSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

} // namespace kerulo
