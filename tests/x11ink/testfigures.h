#pragma once

#include "image/raster.h"

#include <QRect>

namespace kerulo::test {

/// A rectangle's outline one pixel wide and, unless hollow, the pixels inside it as the brush.
inline Raster rectangleFigure(const QRect& r, bool filled = true, Hatch hatch = Hatch::None,
                              int hatchScale = 1) {
    Raster out;
    out.hatch = hatch;
    out.hatchScale = hatchScale;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (y == r.top() || y == r.bottom()) {
            out.pen.push_back({y, r.left(), r.right() + 1});
            continue;
        }
        out.pen.push_back({y, r.left(), r.left() + 1});
        if (filled && r.width() > 2)
            out.brush.push_back({y, r.left() + 1, r.right()});
        out.pen.push_back({y, r.right(), r.right() + 1});
    }
    return out;
}

/// What a figure does to a pixel.
enum class PixelClass { Untouched, Pen, Brush, HatchGap };

inline PixelClass classOf(const Raster& f, int x, int y) {
    for (const Span& s : f.pen)
        if (s.y == y && x >= s.x0 && x < s.x1)
            return PixelClass::Pen;
    for (const Span& s : f.brush)
        if (s.y == y && x >= s.x0 && x < s.x1)
            return hatchCovers(f.hatch, f.hatchScale, x, y) ? PixelClass::Brush
                                                            : PixelClass::HatchGap;
    return PixelClass::Untouched;
}

} // namespace kerulo::test
