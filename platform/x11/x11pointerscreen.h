#pragma once

#include "platform/pointerscreen.h"

namespace kerulo {

/// The X server's pointer position and the primary screen's size.
class X11PointerScreen : public PointerScreen {
public:
    std::optional<QPoint> position() const override;
    QSize primaryScreenSize() const override;
};

} // namespace kerulo
