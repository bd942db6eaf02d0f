#pragma once

#include "platform/throttledpointerwatch.h"

#include <QSocketNotifier>

#include <memory>

struct xcb_connection_t;

namespace kerulo {

/// Reports pointer motion from XInput2 raw motion events on the root window, which arrive over
/// every window, during other clients' grabs and while our own menus are open. The events and
/// the pointer's position come over a connection of the watch's own, read by the main thread
/// when the socket has something: on the toolkit's connection each event and each answer would
/// first wake the toolkit's event thread, which then wakes the main thread, several times for
/// every motion.
class X11PointerWatch : public ThrottledPointerWatch {
    Q_OBJECT
public:
    explicit X11PointerWatch(QObject* parent = nullptr);
    ~X11PointerWatch() override;

    bool usesRawMotion() const { return m_events != nullptr; }

protected:
    QPoint pointerPosition() override;

private:
    bool connectForRawMotion();
    void readEvents();
    /// Takes what the connection has read while it waited for an answer.
    bool takeQueuedMotion();

    struct Disconnect {
        void operator()(xcb_connection_t* c) const;
    };
    std::unique_ptr<xcb_connection_t, Disconnect> m_connection;
    std::unique_ptr<QSocketNotifier> m_events;
    quint8 m_xinputOpcode = 0;
    quint32 m_root = 0;
};

} // namespace kerulo
