#include "platform/cursorpointerscreen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace kerulo {

std::optional<QPoint> CursorPointerScreen::position() const {
    return QCursor::pos();
}

QSize CursorPointerScreen::primaryScreenSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

} // namespace kerulo
