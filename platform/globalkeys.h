#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace kerulo {

/// Keys taken for the whole desktop, without modifier: while the program holds one, its presses
/// reach the program whichever window has the keyboard focus, and the focused program does not
/// see them. Every press counts, the keyboard's auto-repeats included; presses are emitted from
/// the event loop, never from inside native event handling. A platform that cannot take keys
/// for the whole desktop refuses every grab and says why.
class GlobalKeys : public QObject {
    Q_OBJECT
public:
    enum class Key { F8, F7, Escape };

    using QObject::QObject;
    ~GlobalKeys() override = default;

    /// The name a user knows the key by.
    static QString name(Key key) {
        switch (key) {
        case Key::F8:
            return QStringLiteral("F8");
        case Key::F7:
            return QStringLiteral("F7");
        case Key::Escape:
            return QStringLiteral("Esc");
        }
        return {};
    }

    /// The number of a name in the platform's atom table, the same for the same name; a
    /// platform without one numbers the names itself.
    virtual quint32 atom(const QByteArray& name) = 0;
    /// Takes the key, with the lock keys (Num Lock, Caps Lock) on or off. A key is taken wholly
    /// or not at all: when it cannot be, for one because another program holds it, the answer
    /// is false and *error says why.
    virtual bool grab(Key key, QString* error) = 0;
    /// Gives the key back; a key that is not held stays as it is.
    virtual void release(Key key) = 0;

signals:
    void pressed(GlobalKeys::Key key);
};

} // namespace kerulo
