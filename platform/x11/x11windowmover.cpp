#include "platform/x11/x11windowmover.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qwindowsysteminterface.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace kerulo {

namespace {
xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
} // namespace

X11WindowMover::~X11WindowMover() {
    while (!m_quietened.empty())
        forget(m_quietened.begin()->first);
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
    const auto id = std::uint32_t(window.winId());
    if (!quieten(*handle, id)) {
        window.move(topLeft);
        return;
    }

    const QRect native = QHighDpi::toNativeWindowGeometry(wanted, handle);
    const std::int32_t values[] = {native.x(), native.y()};
    xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                         reinterpret_cast<const std::uint32_t*>(values));
    xcb_flush(connection);
    QWindowSystemInterface::handleGeometryChange<QWindowSystemInterface::SynchronousDelivery>(
        handle, native);
}

void X11WindowMover::resize(QWidget& window, QSize size) {
    if (window.size() == size)
        return;
    if (window.isWindow() && window.windowHandle() && window.windowHandle()->handle())
        restore(std::uint32_t(window.winId()));
    window.resize(size);
}

bool X11WindowMover::quieten(QWindow& handle, std::uint32_t id) {
    if (m_quietened.count(id))
        return true;
    xcb_connection_t* c = qtConnection();
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr), &free);
    if (!attributes)
        return false;
    const std::uint32_t toolkitMask = attributes->your_event_mask;
    const std::uint32_t quiet = toolkitMask & ~std::uint32_t(XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &quiet);

    Quietened& entry = m_quietened[id];
    entry.toolkitMask = toolkitMask;
    // The window hides (the signal comes before the toolkit unmaps it, so the unmapping is
    // heard) or goes to another screen (where the toolkit may resize it for the scale).
    entry.hidden = QObject::connect(&handle, &QWindow::visibleChanged, [this, id](bool visible) {
        if (!visible)
            restore(id);
    });
    entry.screenChanged =
        QObject::connect(&handle, &QWindow::screenChanged, [this, id] { restore(id); });
    // A destroyed window needs nothing given back.
    entry.destroyed = QObject::connect(&handle, &QObject::destroyed, [this, id] { forget(id); });
    return true;
}

void X11WindowMover::restore(std::uint32_t id) {
    const auto found = m_quietened.find(id);
    if (found == m_quietened.end())
        return;
    if (xcb_connection_t* c = qtConnection()) {
        xcb_change_window_attributes(c, id, XCB_CW_EVENT_MASK, &found->second.toolkitMask);
        xcb_flush(c);
    }
    forget(id);
}

void X11WindowMover::forget(std::uint32_t id) {
    const auto found = m_quietened.find(id);
    if (found == m_quietened.end())
        return;
    QObject::disconnect(found->second.hidden);
    QObject::disconnect(found->second.screenChanged);
    QObject::disconnect(found->second.destroyed);
    m_quietened.erase(found);
}

} // namespace kerulo
