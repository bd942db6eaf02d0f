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
    auto* filter = new OffTaskbar(&window);
    filter->setObjectName(name);
    window.installEventFilter(filter);
}

} // namespace kerulo
