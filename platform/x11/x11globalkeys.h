#pragma once

#include "platform/globalkeys.h"

#include <QAbstractNativeEventFilter>
#include <QHash>

#include <vector>

namespace kerulo {

/// Global keys as passive grabs on the root window, taken through the toolkit's own connection
/// to the X server. Each key is grabbed four times, alone and with Num Lock, Caps Lock or both,
/// since the server counts the lock keys as modifiers.
class X11GlobalKeys : public GlobalKeys, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11GlobalKeys(QObject* parent = nullptr);
    ~X11GlobalKeys() override;

    quint32 atom(const QByteArray& name) override;
    bool grab(Key key, QString* error) override;
    void release(Key key) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        Key key;
        std::vector<quint8> keycodes;
    };

    std::vector<quint8> keycodesOf(Key key) const;
    const Grab* grabOfKeycode(quint8 keycode) const;

    std::vector<Grab> m_grabs;
    QHash<QByteArray, quint32> m_localAtoms;
};

} // namespace kerulo
