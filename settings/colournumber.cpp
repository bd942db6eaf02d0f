#include "settings/colournumber.h"

#include "effects/followplacement.h"

namespace kerulo {

// The halo reads its colour number with the same rule.
QColor ColourNumber::toColour(int number) {
    return FollowPlacement::colourFromNumber(number);
}

int ColourNumber::fromColour(const QColor& colour) {
    const QRgb rgb = colour.rgb();
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

} // namespace kerulo
