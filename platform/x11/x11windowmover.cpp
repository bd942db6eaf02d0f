#include "platform/x11/x11windowmover.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>

#include <xcb/xcb.h>

namespace kerulo {

namespace {
xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
} // namespace

X11WindowMover::X11WindowMover() {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11WindowMover::~X11WindowMover() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void X11WindowMover::move(QWidget& window, QPoint topLeft) {
    QWindow* handle = window.windowHandle();
    xcb_connection_t* connection = qtConnection();
    const QRect wanted(topLeft, window.size());
    // The toolkit's way where this one does not reach: hidden windows, which keep the position
    // for their showing, and a move onto another screen, which may change the scale.
    if (!connection || !window.isWindow() || !window.isVisible() || !handle || !handle->handle() ||
        QGuiApplication::screenAt(wanted.center()) != handle->screen()) {
        window.move(topLeft);
        return;
    }
    if (window.pos() == topLeft)
        return;

    const QRect native = QHighDpi::toNativeWindowGeometry(wanted, handle);
    const auto id = std::uint32_t(window.winId());
    const std::int32_t values[] = {native.x(), native.y()};
    xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                         reinterpret_cast<const std::uint32_t*>(values));
    xcb_flush(connection);
    m_unconfirmed[id].push_back({native.topLeft(), native.size()});
    QWindowSystemInterface::handleGeometryChange<QWindowSystemInterface::SynchronousDelivery>(
        handle, native);
}

bool X11WindowMover::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || m_unconfirmed.empty())
        return false;
    // Sent events (a window manager's word on a framed window) have the top bit set and are
    // never taken.
    if (static_cast<xcb_generic_event_t*>(message)->response_type != XCB_CONFIGURE_NOTIFY)
        return false;
    const auto* notify = static_cast<xcb_configure_notify_event_t*>(message);
    const auto found = m_unconfirmed.find(notify->window);
    if (found == m_unconfirmed.end())
        return false;

    std::deque<Placement>& placements = found->second;
    const Placement now{QPoint(notify->x, notify->y), QSize(notify->width, notify->height)};
    // Confirmations come in the order of the moves; those this one passed over never come.
    while (!placements.empty() && placements.front().topLeft != now.topLeft)
        placements.pop_front();
    const bool confirms = !placements.empty() && placements.front().size == now.size;
    if (!placements.empty())
        placements.pop_front();
    if (placements.empty())
        m_unconfirmed.erase(found);
    // Anything else (a change of size, a move by someone else) is the toolkit's to hear.
    return confirms;
}

} // namespace kerulo
