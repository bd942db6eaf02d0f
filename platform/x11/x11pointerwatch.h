#pragma once

#include "platform/pointerwatch.h"

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>

namespace kerulo {

/// Reports pointer motion from XInput2 raw motion events on the root window, which arrive over
/// every window, during other clients' grabs and while our own menus are open. Raw motion does
/// not cover warps (a program moving the pointer), so a slow check catches those. Without
/// XInput2 a 10 ms check stands in for the events.
class X11PointerWatch : public PointerWatch, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11PointerWatch(QObject* parent = nullptr);
    ~X11PointerWatch() override;

    bool usesRawMotion() const { return m_xinputOpcode != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool selectRawMotion();
    void checkPosition();
    void reportSoon();
    void report();

    quint8 m_xinputOpcode = 0;
    bool m_reportPending = false;
    QElapsedTimer m_sinceReport;
    QPoint m_lastPosition;
    QTimer m_check;
};

} // namespace kerulo
