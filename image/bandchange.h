#pragma once

#include "image/raster.h"

#include <optional>
#include <vector>

namespace kerulo {

/// What a not-xor figure painted over another not-xor figure of the same colours changes on the
/// screen. Painting `from` a second time and then `to` leaves each pixel depending only on what
/// it was in each (nothing, pen or brush), so only the pixels where that differs need painting:
/// far fewer than both figures when a rubber band moves by a few pixels.
///
/// Each list is sorted by row, then x, with no two spans of a row touching; no pixel is in two
/// lists. With pen colour P, brush colour B and a screen pixel x (RGB only):
struct BandChange {
    /// Pen in one figure, nothing in the other: x becomes NOT(P XOR x).
    std::vector<Span> penToggle;
    /// Brush in one figure, nothing in the other: on the hatch's lines x becomes NOT(B XOR x),
    /// off them it stays.
    std::vector<Span> brushToggle;
    /// Pen in one figure, brush in the other: on the hatch's lines x becomes x XOR P XOR B, off
    /// them (where the brush paints nothing) NOT(P XOR x).
    std::vector<Span> swap;
    /// The hatch of the figures' brush pixels, which decides the brush's lines.
    Hatch hatch = Hatch::None;
    int hatchScale = 1;

    bool empty() const { return penToggle.empty() && brushToggle.empty() && swap.empty(); }
};

/// The change from the not-xor figure `from` to the not-xor figure `to`, or none when both
/// have brush pixels under different hatches: then the brush's lines of the two do not line up
/// and both figures must be painted.
std::optional<BandChange> bandChange(const Raster& from, const Raster& to);

} // namespace kerulo
