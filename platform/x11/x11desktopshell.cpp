#include "platform/x11/x11desktopshell.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace kerulo {

namespace {
xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr),
        &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
} // namespace

void X11DesktopShell::setWindowClass(QWidget& window, const QString& className) {
    xcb_connection_t* c = qtConnection();
    if (!c)
        return;
    // WM_CLASS holds the instance name and the class name, each ending in a zero byte.
    const QByteArray name = className.toUtf8();
    const QByteArray value = name + '\0' + name + '\0';
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, uint32_t(value.size()), value.constData());
    xcb_flush(c);
}

void X11DesktopShell::keepOffTaskbar(QWidget& window) {
    xcb_connection_t* c = qtConnection();
    if (!c)
        return;
    // Set on the unmapped window, where the window manager reads it when the window is first
    // mapped; the toolkit merges its own states into this property instead of replacing it.
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t values[] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(c, XCB_PROP_MODE_APPEND, xcb_window_t(window.winId()), state,
                        XCB_ATOM_ATOM, 32, 2, values);
    xcb_flush(c);
}

} // namespace kerulo
