#pragma once

#include "platform/globalkeys.h"

#include <QAbstractNativeEventFilter>
#include <QHash>

#include <vector>

namespace kerulo {

/// Global keys as passive grabs on the root window, taken through the toolkit's own connection
/// to the X server. Each combination is grabbed four times, with its modifiers alone and with
/// Num Lock, Caps Lock or both added, since the server counts the lock keys as modifiers.
class X11GlobalKeys : public GlobalKeys, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11GlobalKeys(QObject* parent = nullptr);
    ~X11GlobalKeys() override;

    using GlobalKeys::grab;
    using GlobalKeys::release;

    quint32 atom(const QByteArray& name) override;
    bool grab(const KeyCombination& combination, QString* error) override;
    void release(const KeyCombination& combination) override;

    /// The X key symbol that a key gives when pressed alone; 0 for keys that cannot be taken.
    static quint32 keysymOf(Qt::Key key);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab {
        KeyCombination combination;
        quint16 modifiers;
        std::vector<quint8> keycodes;
    };

    std::vector<quint8> keycodesOf(quint32 keysym) const;
    const Grab* grabOf(quint8 keycode, quint16 state) const;

    std::vector<Grab> m_grabs;
    QHash<QByteArray, quint32> m_localAtoms;
};

} // namespace kerulo
