#pragma once

#include <QColor>
#include <QPoint>

#include <cstdint>

namespace kerulo {

/// Where the effect windows stand relative to the pointer, and how stored halo values become
/// a look. Offsets and sizes are applied as stored: nothing is clamped.
namespace FollowPlacement {

/// The follow image's top-left corner: the pointer sits `cursorOffset` pixels right of and
/// below it. The subtraction wraps around in 32 bits like the platform's own window arithmetic,
/// so a stored offset near the integer limits puts the window far off the screen instead of
/// overflowing.
inline QPoint followTopLeft(QPoint pointer, int cursorOffset) {
    const auto wrapped = [cursorOffset](int coordinate) {
        return static_cast<int>(static_cast<std::uint32_t>(coordinate) -
                                static_cast<std::uint32_t>(cursorOffset));
    };
    return {wrapped(pointer.x()), wrapped(pointer.y())};
}

/// The halo's top-left corner: half the diameter (truncated toward zero) up and left of the
/// pointer, so an odd diameter puts the pointer on the middle pixel.
inline QPoint haloTopLeft(QPoint pointer, int haloSize) {
    const int half = haloSize / 2;
    return pointer - QPoint(half, half);
}

/// The halo's opacity as an alpha value: only the low 8 bits of the stored number count.
inline int haloAlpha(int opacity) {
    return opacity & 0xff;
}

/// A stored colour number: red in the low byte, then green, then blue.
inline QColor colourFromNumber(int value) {
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

} // namespace FollowPlacement
} // namespace kerulo
