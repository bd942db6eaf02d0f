#pragma once

#include <QObject>

namespace kerulo {

/// Tells when the pointer may have moved, so that whatever follows it can look again instead of
/// polling. Emits from the event loop, never from inside native event handling. A platform
/// without motion events falls back to a short periodic check.
class PointerWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PointerWatch() override = default;

signals:
    void moved();
};

} // namespace kerulo
