#pragma once

#include <vector>

namespace kerulo {

/// How a figure's pixels meet the screen: Copy sets them to the figure's colours; NotXor sets
/// each to NOT(colour XOR pixel), so that painting the same figure twice restores the screen.
enum class RasterMode { Copy, NotXor };

/// The brush's hatch: lines on an 8 x 8 grid aligned to the screen's origin; the pixels between
/// the lines are left untouched.
enum class Hatch { None, Horizontal, Vertical, ForwardDiagonal, BackwardDiagonal, Cross };

/// Pixels x0 .. x1 - 1 of row y.
struct Span {
    int y = 0;
    int x0 = 0;
    int x1 = 0;
    friend bool operator==(const Span& a, const Span& b) {
        return a.y == b.y && a.x0 == b.x0 && a.x1 == b.x1;
    }
};

/// A figure as the pixels it touches, in screen pixels: the outline in the pen's colour and the
/// interior in the brush's. The two sets are disjoint and each is sorted by row, then by x, with
/// no two spans of a row touching, so that every pixel is touched once per paint.
struct Raster {
    std::vector<Span> pen;
    std::vector<Span> brush;
    /// With a hatch, only the brush pixels on its lines are painted.
    Hatch hatch = Hatch::None;
    /// The hatch grid's cell in screen pixels: 1 on an unscaled display, 2 where the display is
    /// scaled by 2 (the lines then are 2 pixels wide, 16 apart).
    int hatchScale = 1;

    bool empty() const { return pen.empty() && brush.empty(); }
    friend bool operator==(const Raster& a, const Raster& b) {
        return a.hatch == b.hatch && a.hatchScale == b.hatchScale && a.pen == b.pen &&
               a.brush == b.brush;
    }
};

/// Whether the hatch has a line on the pixel (x, y). Diagonals go through the screen's origin:
/// ForwardDiagonal runs down to the right, BackwardDiagonal up to the right.
inline bool hatchCovers(Hatch hatch, int scale, int x, int y) {
    const auto cell = [scale](int v) { return ((v >= 0 ? v : v - scale + 1) / scale) & 7; };
    const int cx = cell(x);
    const int cy = cell(y);
    switch (hatch) {
    case Hatch::None:
        return true;
    case Hatch::Horizontal:
        return cy == 0;
    case Hatch::Vertical:
        return cx == 0;
    case Hatch::ForwardDiagonal:
        return cx == cy;
    case Hatch::BackwardDiagonal:
        return ((cx + cy) & 7) == 7;
    case Hatch::Cross:
        return cx == 0 || cy == 0;
    }
    return true;
}

} // namespace kerulo
