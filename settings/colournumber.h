#pragma once

#include <QColor>

namespace kerulo {

/// Colours as the settings database stores them: a number with red in the low byte, then
/// green, then blue. A number read from the database is kept as it is, so that saving it again
/// writes the same digits; a colour picked in the dialog has nothing in the high byte.
class ColourNumber {
public:
    static QColor toColour(int number);
    static int fromColour(const QColor& colour);
};

} // namespace kerulo
