#pragma once

#include "platform/throttledpointerwatch.h"

#include <QAbstractNativeEventFilter>

namespace kerulo {

/// Reports pointer motion from XInput2 raw motion events on the root window, which arrive over
/// every window, during other clients' grabs and while our own menus are open.
class X11PointerWatch : public ThrottledPointerWatch, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11PointerWatch(QObject* parent = nullptr);
    ~X11PointerWatch() override;

    bool usesRawMotion() const { return m_xinputOpcode != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool selectRawMotion();

    quint8 m_xinputOpcode = 0;
};

} // namespace kerulo
