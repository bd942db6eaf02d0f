#pragma once

#include "platform/windowmover.h"

#include <QAbstractNativeEventFilter>
#include <QPoint>
#include <QSize>

#include <cstdint>
#include <deque>
#include <unordered_map>

namespace kerulo {

/// Moves a shown window with one configure request and tells the toolkit the new place itself.
/// The toolkit's own move also rewrites the window's size hints and, when the server confirms
/// the move, asks where the window is and what frame it has: five round trips that wake its
/// event thread and the main thread each time. The confirmation of a move made here is taken
/// out of the toolkit's event stream, so the toolkit never asks.
class X11WindowMover : public WindowMover, public QAbstractNativeEventFilter {
public:
    X11WindowMover();
    ~X11WindowMover() override;
    X11WindowMover(const X11WindowMover&) = delete;
    X11WindowMover& operator=(const X11WindowMover&) = delete;

    void move(QWidget& window, QPoint topLeft) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override;

private:
    struct Placement {
        QPoint topLeft; // device pixels, on the root window
        QSize size;
    };
    /// Per window, the placements asked for and not yet confirmed, oldest first.
    std::unordered_map<std::uint32_t, std::deque<Placement>> m_unconfirmed;
};

} // namespace kerulo
