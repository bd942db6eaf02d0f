#include "platform/x11/x11desktopshell.h"

#include <QGuiApplication>
#include <QEvent>
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

namespace {
// The window manager reads _NET_WM_STATE when a window is mapped and removes it when the
// window is withdrawn, so the states go on again before every showing. The toolkit merges its
// own states into the property instead of replacing it.
class SkipTaskbarOnShow : public QObject {
public:
    using QObject::QObject;

    static void apply(QWidget& window) {
        xcb_connection_t* c = qtConnection();
        if (!c)
            return;
        const xcb_atom_t state = atom(c, "_NET_WM_STATE");
        const xcb_atom_t values[] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                     atom(c, "_NET_WM_STATE_SKIP_PAGER")};
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), state,
                            XCB_ATOM_ATOM, 32, 2, values);
        xcb_flush(c);
    }

protected:
    // The show event comes before the window is mapped.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !static_cast<QWidget*>(watched)->isMinimized())
            apply(*static_cast<QWidget*>(watched));
        return false;
    }
};
} // namespace

void X11DesktopShell::keepOffTaskbar(QWidget& window) {
    SkipTaskbarOnShow::apply(window);
    window.installEventFilter(new SkipTaskbarOnShow(&window));
}

} // namespace kerulo
