#pragma once

#include "platform/windowmover.h"

#include <QWidget>

namespace kerulo {

/// Moves windows the toolkit's way: where that costs no questions to the window system (on
/// Windows a move is a call into the same process), and for tests.
class ToolkitWindowMover : public WindowMover {
public:
    void move(QWidget& window, QPoint topLeft) override { window.move(topLeft); }
    void resize(QWidget& window, QSize size) override { window.resize(size); }
};

} // namespace kerulo
