#pragma once

#include "platform/pointerscreen.h"

namespace kerulo {

/// The pointer's position and the primary screen's size as the toolkit reports them, in the
/// toolkit's pixels; the same on every window system the toolkit speaks to.
class CursorPointerScreen : public PointerScreen {
public:
    std::optional<QPoint> position() const override;
    QSize primaryScreenSize() const override;
};

} // namespace kerulo
