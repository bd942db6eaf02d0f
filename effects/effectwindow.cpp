#include "effects/effectwindow.h"

#include "ui/errorreporter.h"
#include "ui/windows.h"

#include <QTimer>

namespace kerulo {

EffectWindow::EffectWindow(Windows& windows) : KeruloWindow(windows) {
    // Bypassing the window manager keeps it from framing the window, and a frame would take
    // the clicks that must reach the windows beneath.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint);

    connect(&windows.platform().pointerWatch, &PointerWatch::moved, this,
            [this](QPoint p) { ErrorReporter::guard([&] { followPointer(p); }); });
    // The first placement comes with the first turn of the event loop.
    QTimer::singleShot(0, this, [this, &windows] {
        ErrorReporter::guard([&] {
            if (const std::optional<QPoint> pointer = windows.platform().pointer.position())
                followPointer(*pointer);
        });
    });
}

} // namespace kerulo
