#pragma once

#include "platform/pointerscreen.h"

namespace kerulo {

/// A pointer and screen that tests set by hand.
class FakePointerScreen : public PointerScreen {
public:
    std::optional<QPoint> position() const override { return m_position; }
    QSize primaryScreenSize() const override { return m_screen; }

    void setPosition(std::optional<QPoint> p) { m_position = p; }
    void setPrimaryScreenSize(QSize s) { m_screen = s; }

private:
    std::optional<QPoint> m_position{QPoint(0, 0)};
    QSize m_screen{1920, 1080};
};

} // namespace kerulo
