#pragma once

#include "platform/keycombination.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

namespace kerulo {

/// Keys taken for the whole desktop, alone or with modifiers: while the program holds one, its
/// presses reach the program whichever window has the keyboard focus, and the focused program
/// does not see them. Every press counts, the keyboard's auto-repeats included; presses are
/// emitted from the event loop, never from inside native event handling. A platform that cannot
/// take keys for the whole desktop refuses every grab and says why.
class GlobalKeys : public QObject {
    Q_OBJECT
public:
    /// The program's own three keys, taken without modifiers.
    enum class Key { F8, F7, Escape };

    using QObject::QObject;
    ~GlobalKeys() override = default;

    static KeyCombination combination(Key key) {
        switch (key) {
        case Key::F8:
            return {Qt::Key_F8};
        case Key::F7:
            return {Qt::Key_F7};
        case Key::Escape:
            return {Qt::Key_Escape};
        }
        return {};
    }
    /// Which of the program's own keys the combination is, if any.
    static std::optional<Key> keyOf(const KeyCombination& combination) {
        for (Key key : {Key::F8, Key::F7, Key::Escape})
            if (GlobalKeys::combination(key) == combination)
                return key;
        return std::nullopt;
    }
    /// The name a user knows the key by.
    static QString name(Key key) { return combination(key).name(); }

    /// The number of a name in the platform's atom table, the same for the same name; a
    /// platform without one numbers the names itself.
    virtual quint32 atom(const QByteArray& name) = 0;
    /// Takes the combination, with the lock keys (Num Lock, Caps Lock) on or off. It is taken
    /// wholly or not at all: when it cannot be, for one because another program holds it, the
    /// answer is false and *error says why. A combination already held is held once.
    virtual bool grab(const KeyCombination& combination, QString* error) = 0;
    /// Gives the combination back; one that is not held stays as it is.
    virtual void release(const KeyCombination& combination) = 0;

    bool grab(Key key, QString* error) { return grab(combination(key), error); }
    void release(Key key) { release(combination(key)); }

signals:
    /// One of the program's own keys was pressed.
    void pressed(GlobalKeys::Key key);
    /// Any held combination was pressed, the program's own keys included.
    void combinationPressed(kerulo::KeyCombination combination);

protected:
    /// For the implementations: a held combination was pressed. Call from the event loop.
    void announce(const KeyCombination& combination) {
        emit combinationPressed(combination);
        if (const std::optional<Key> key = keyOf(combination))
            emit pressed(*key);
    }
};

} // namespace kerulo
