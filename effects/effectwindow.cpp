#include "effects/effectwindow.h"

#include "app/errorreporter.h"
#include "app/windowset.h"

#include <QTimer>

namespace kerulo {

EffectWindow::EffectWindow(WindowSet& forms) : KForm(forms) {
    // Bypassing the window manager keeps it from framing the window, and a frame would take
    // the clicks that must reach the windows beneath.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint);

    // From the first turn of the event loop on.
    const auto follow = [this] { ErrorReporter::guard([this] { followPointer(); }); };
    connect(&forms.platform().pointerWatch, &PointerWatch::moved, this, follow);
    QTimer::singleShot(0, this, follow);
}

} // namespace kerulo
