#pragma once

#include <QKeySequence>
#include <QMetaType>
#include <QString>

namespace kerulo {

/// A key pressed together with modifiers (Ctrl, Shift, Alt, Meta); the lock keys never count.
struct KeyCombination {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;

    /// The name a user knows the combination by, for example "Ctrl+Shift+F9" or "Esc".
    QString name() const {
        return QKeySequence(QKeyCombination(modifiers, key)).toString(QKeySequence::PortableText);
    }

    friend bool operator==(const KeyCombination& a, const KeyCombination& b) {
        return a.key == b.key && a.modifiers == b.modifiers;
    }
    friend bool operator!=(const KeyCombination& a, const KeyCombination& b) { return !(a == b); }
};

/// The modifiers a global key may carry; any other bit in a combination is refused.
constexpr Qt::KeyboardModifiers GlobalKeyModifiers =
    Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace kerulo

Q_DECLARE_METATYPE(kerulo::KeyCombination)
