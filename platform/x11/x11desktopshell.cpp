#include "platform/x11/x11desktopshell.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

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

// Labels a window as it is about to be mapped: the show event comes after the native window
// exists and before it is mapped, so windows that are never shown never need a native window.
// The window manager reads _NET_WM_STATE when a window is mapped and removes it when the window
// is withdrawn, so the states go on again before every showing; the toolkit merges its own
// states into the property instead of replacing it.
class WindowLabel : public QObject {
public:
    static WindowLabel& of(QWidget& window) {
        // Found by name: without a meta-object of its own the class cannot be told apart from
        // the window's other children by type.
        static const QString name = QStringLiteral("kerulo-window-label");
        if (auto* label = window.findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
            return *static_cast<WindowLabel*>(label);
        auto* label = new WindowLabel(&window);
        label->setObjectName(name);
        window.installEventFilter(label);
        return *label;
    }

    QByteArray className;
    bool offTaskbar = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !static_cast<QWidget*>(watched)->isMinimized())
            apply(xcb_window_t(static_cast<QWidget*>(watched)->winId()));
        return false;
    }

private:
    using QObject::QObject;

    void apply(xcb_window_t window) {
        xcb_connection_t* c = qtConnection();
        if (!c)
            return;
        if (!className.isEmpty()) {
            // WM_CLASS holds the instance name and the class name, each ending in a zero byte.
            const QByteArray value = className + '\0' + className + '\0';
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                                XCB_ATOM_STRING, 8, uint32_t(value.size()), value.constData());
        }
        if (offTaskbar) {
            static const xcb_atom_t state = atom(c, "_NET_WM_STATE");
            static const xcb_atom_t values[] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                                atom(c, "_NET_WM_STATE_SKIP_PAGER")};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, 2,
                                values);
        }
    }
};
} // namespace

void X11DesktopShell::setWindowClass(QWidget& window, const QString& className) {
    WindowLabel::of(window).className = className.toUtf8();
}

void X11DesktopShell::keepOffTaskbar(QWidget& window) {
    WindowLabel::of(window).offTaskbar = true;
}

} // namespace kerulo
