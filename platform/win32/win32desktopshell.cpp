#include "platform/win32/win32desktopshell.h"

#include <QEvent>
#include <QWidget>

#include <windows.h>

namespace kerulo {

namespace {
// The style is set as the window is about to be shown: the show event comes after the native
// window exists and before it goes on the screen, when the task bar decides whether to list
// it. Windows that are never shown never need a native window.
class OffTaskbar : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            const auto window = HWND(static_cast<QWidget*>(watched)->winId());
            const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
            const LONG_PTR wanted = (style | WS_EX_TOOLWINDOW) & ~LONG_PTR(WS_EX_APPWINDOW);
            if (wanted != style)
                SetWindowLongPtrW(window, GWL_EXSTYLE, wanted);
        }
        return false;
    }
};
} // namespace

void Win32DesktopShell::setWindowClass(QWidget&, const QString&) {}

void Win32DesktopShell::keepOffTaskbar(QWidget& window) {
    static const QString name = QStringLiteral("kerulo-off-taskbar");
    if (window.findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    // The windows that bypass the window manager on X11 (the toolbar, the effects, the pen's
    // surface) never take the keyboard there. Here they would be activated when shown, taking
    // the focus from the program the teacher works in, and under Wine they would become windows
    // the X window manager places (it keeps a tenth of them on the screen, so the toolbar's
    // strip grew to 6 pixels).
    if (window.windowFlags() & Qt::X11BypassWindowManagerHint)
        window.setAttribute(Qt::WA_ShowWithoutActivating);
    auto* filter = new OffTaskbar(&window);
    filter->setObjectName(name);
    window.installEventFilter(filter);
}

} // namespace kerulo
