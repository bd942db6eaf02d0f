#pragma once

#include <QObject>
#include <QPoint>

namespace kerulo {

/// Tells where the pointer went whenever it moves, so that whatever follows it need not poll.
/// The position is looked up once for all listeners. Emits from the event loop, never from
/// inside native event handling. A platform without motion events falls back to a short
/// periodic check.
class PointerWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PointerWatch() override = default;

signals:
    void moved(QPoint position);
};

} // namespace kerulo
