#pragma once

#include <QString>
#include <Qt>

namespace kerulo {

/// What typing may put into the settings dialog's number boxes: digits, and backspace to take
/// them out. Keys that type no character (arrows, Delete, Home, Tab, Return) and editing
/// commands held with Ctrl, Alt or Meta (select all, copy, paste, undo) are left to the box, so
/// a pasted text still arrives as it is and is judged when it is saved.
class NumberKeyFilter {
public:
    /// Whether a key press reaches the box.
    static bool keepsKey(int key, Qt::KeyboardModifiers modifiers, const QString& text);
};

} // namespace kerulo
