#pragma once

#include "platform/screenpainter.h"

#include <QObject>
#include <QPoint>

namespace kerulo {

/// The screen as the pen uses it: where its figures are painted, what takes the mouse while it
/// is on, and the desktop repaint that clears the figures. How it paints is chosen each time the
/// pen starts, since a compositor may have started or stopped meanwhile.
class PenScreen : public QObject, public ScreenPainter {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Who takes the mouse while the pen is on.
    enum class Input {
        /// The pen's own window, shown as a faint veil over the screen, gets the mouse events.
        Veil,
        /// The pen's own window stays off screen; an invisible surface over the whole screen
        /// takes the mouse and reports it through pressed / moved / released.
        Surface,
    };

    /// The pen comes on: paints from now on the way the desktop allows and puts up the input
    /// surface when there is one. Says who takes the mouse.
    virtual Input start() = 0;
    /// The pen goes off: the input surface goes; what was painted stays on the screen.
    virtual void stop() = 0;
    /// Repaints the whole desktop: every figure goes and every window shows itself again.
    virtual void repaintDesktop() = 0;
    /// Screen pixels per logical pixel: the display's scale factor, 1.25 where it is scaled by
    /// 125 %, 2 where by 2; 1 when the platform cannot tell.
    virtual double scale() const = 0;

signals:
    /// While the pen is on, the desktop changed so that the way chosen by start() no longer
    /// shows right (a compositor started or stopped): stop() and start() again take up the new
    /// way. Emitted from the event loop.
    void wayChanged();
    // From the input surface, in screen pixels; emitted from the event loop.
    void pressed(QPoint position);
    void moved(QPoint position);
    void released(QPoint position);
};

} // namespace kerulo
