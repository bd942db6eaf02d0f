#pragma once

#include <QPoint>
#include <QRegion>
#include <QSize>

namespace kerulo {

/// The part of a halo's disc that its window carries. The disc is centred on the pointer and the
/// pointer never leaves the screen, so no part of the disc farther from the pointer than the
/// screen's diagonal can ever be seen. A halo wider than twice that is carried by a window of
/// that side, centred the same way, whose shape is the part of the disc inside it: on screen it
/// looks the same, and a stored diameter in the millions no longer asks the window system for a
/// window (and the toolkit for a backing store) of that size. Smaller halos are carried whole, as
/// stored: their window is the disc's square.
class HaloExtent {
public:
    /// The widest window a halo needs on a screen of the given size.
    static int maxSide(QSize screen);

    /// The side of the window that carries a halo of \a diameter, at most \a maxSide; a diameter
    /// below 1 is kept as it is (the window then has no size).
    static int windowSide(int diameter, int maxSide);

    /// The window's top-left corner for a pointer: for a halo carried whole the pointer less half
    /// the diameter (truncated toward zero), else the pointer less half the window's side.
    static QPoint topLeft(QPoint pointer, int diameter, int side);

    /// The window's shape, in its own coordinates: the disc of \a diameter as the window of
    /// \a side carries it.
    static QRegion shape(int diameter, int side);
};

} // namespace kerulo
