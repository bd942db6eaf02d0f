#pragma once

#include "platform/windowmover.h"

#include <QMetaObject>

#include <cstdint>
#include <unordered_map>

class QWindow;

namespace kerulo {

/// Moves a shown window with one configure request and tells the toolkit the new place itself.
/// The toolkit's own move also rewrites the window's size hints and, when the server confirms
/// the move, asks where the window is and what frame it has: five round trips. Even a
/// confirmation the toolkit ignored would wake its event thread and then the main thread, two
/// wake-ups for every motion of the pointer, so while a window is moved here the toolkit does not
/// ask for confirmations of its place (structure notices) at all. It asks again before the
/// window hides, before a resize (which the toolkit completes only when the server confirms it)
/// and when the window changes screens.
class X11WindowMover : public WindowMover {
public:
    X11WindowMover() = default;
    ~X11WindowMover() override;
    X11WindowMover(const X11WindowMover&) = delete;
    X11WindowMover& operator=(const X11WindowMover&) = delete;

    void move(QWidget& window, QPoint topLeft) override;
    void resize(QWidget& window, QSize size) override;

private:
    /// Stops the toolkit's structure notices for the window; false when the window is gone.
    bool quieten(QWindow& handle, std::uint32_t id);
    /// Gives the toolkit its notices back.
    void restore(std::uint32_t id);
    /// Drops what is kept for the window, which needs nothing given back.
    void forget(std::uint32_t id);

    struct Quietened {
        std::uint32_t toolkitMask; // the toolkit's own event mask, to give back
        QMetaObject::Connection hidden;
        QMetaObject::Connection screenChanged;
        QMetaObject::Connection destroyed;
    };
    std::unordered_map<std::uint32_t, Quietened> m_quietened;
};

} // namespace kerulo
