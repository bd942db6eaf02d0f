#pragma once

class QPoint;
class QSize;
class QWidget;

namespace kerulo {

/// Moves the windows that follow the pointer. They move up to a hundred times a second, and
/// where the toolkit's general way of moving a window asks the window system several questions
/// about each move, this way asks none. While it moves a shown window, that window's place and
/// size change only through it.
class WindowMover {
public:
    virtual ~WindowMover() = default;
    /// Puts the top-level window's top-left corner at `topLeft`, in the toolkit's coordinates;
    /// its size stays. A hidden window takes the position for its next showing.
    virtual void move(QWidget& window, QPoint topLeft) = 0;
    /// Gives the top-level window a new size, its top-left corner staying where it is.
    virtual void resize(QWidget& window, QSize size) = 0;
};

} // namespace kerulo
