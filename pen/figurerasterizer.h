#pragma once

#include "image/raster.h"
#include "pen/penstyle.h"

#include <QPoint>

namespace kerulo {

/// The pen as the rasterizer needs it.
struct PenShape {
    /// The width the user set, in logical pixels. Below 1 counts as 1, the thinnest pen.
    int width = 1;
    PenStyle style = PenStyle::Solid;
    /// Screen pixels per logical pixel, the display's scale factor: 1, 1.25, 1.5, 2... Below 1
    /// counts as 1. Sizes become whole screen pixels as PenScale says.
    double scale = 1;
};

/// Turns the pen's figures into the screen pixels they touch: the pen's pixels and, for closed
/// figures, the brush's, as disjoint sorted spans, so that a painter touches each pixel once and
/// a not-xor figure painted twice leaves the screen as it was. Points are in screen pixels.
///
/// The pen is width * scale screen pixels wide, rounded (PenScale). Broken styles show only on a
/// pen 1 logical pixel wide (then `scale` screen pixels wide, rounded, and each dash `scale` times
/// as long, rounded); wider pens draw solid. A pen 1 screen pixel wide paints the centre path
/// itself; a wider one stamps a disc of its width on every pixel of the centre path.
class FigureRasterizer {
public:
    FigureRasterizer(PenShape pen, BrushStyle brush);

    /// The line from `from` to `to`: the start is painted; the end is painted only by a pen wider
    /// than one screen pixel, so that a line of no length paints nothing at width 1 and a dot
    /// with a wider pen. Pen spans only.
    Raster line(QPoint from, QPoint to) const;
    /// The line from `from` to `to` with a solid arrow head whose tip is `to`: a triangle as
    /// wide as it is long, about four pen widths and never under 8 logical pixels, shorter when
    /// the line is. The line stops at the head's base. With no length it is line(from, to).
    /// Pen spans only.
    Raster arrow(QPoint from, QPoint to) const;

    // The closed figures span two corners given in either order and cover the columns from the
    // smaller x up to, not including, the larger, and the rows likewise. A figure of no width or
    // no height paints nothing with any pen. The outline is the figure's pixels that have a
    // 4-neighbour outside it; a wider pen stamps its disc on each of them; the brush fills the
    // rest of the figure that the pen leaves, unless the brush is hollow.

    Raster rectangle(QPoint a, QPoint b) const;
    /// The ellipse inscribed in the rectangle a, b.
    Raster ellipse(QPoint a, QPoint b) const;
    /// The rectangle a, b with its corners rounded by quarters of an ellipse cornerWidth wide and
    /// cornerHeight high. The sizes count by their magnitude, so either sign does, and are cut
    /// to the figure's size; a size of 0 gives square corners.
    Raster roundRect(QPoint a, QPoint b, int cornerWidth, int cornerHeight) const;

private:
    PenShape m_pen;
    BrushStyle m_brush;
};

} // namespace kerulo
