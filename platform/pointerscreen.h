#pragma once

#include <QPoint>
#include <QSize>
#include <optional>

namespace kerulo {

/// Where the pointer is and how large the primary screen is, in screen pixels with the origin at
/// the primary screen's top-left corner. When the platform cannot tell where the pointer is (say
/// another session has the input), position() gives nothing and callers skip that moment.
class PointerScreen {
public:
    virtual ~PointerScreen() = default;
    virtual std::optional<QPoint> position() const = 0;
    virtual QSize primaryScreenSize() const = 0;
};

} // namespace kerulo
