#pragma once

namespace kerulo {

/// How the pen's sizes, which the user sets in the display's logical pixels, become whole screen
/// pixels on a display scaled by any factor: 1, 1.25 and 1.5 as well as 2. A factor below 1, or
/// one that is not a number, counts as 1.
///
/// A figure is painted in whole screen pixels, so a width of w logical pixels becomes the whole
/// number of screen pixels nearest to w times the factor, at least one. At 1 and 2 that is w and
/// 2w exactly, as it always was. Elsewhere rounding keeps the pen within half a screen pixel of
/// the width the user chose: at 1.25 a pen 5 wide is 6 pixels (6.25), at 1.5 it is 8 (7.5, the
/// half rounded up). Truncating would make every pen too thin, and a whole-number factor taken
/// from the display (1 at 1.25, 2 at 1.5) makes it a fifth too thin or a third too wide.
class PenScale {
public:
    explicit PenScale(double factor = 1);

    double factor() const { return m_factor; }

    /// A length in screen pixels (the pen's width, a dash of its pattern): the whole number
    /// nearest to length times the factor, at least 1. A length below 1 counts as 1.
    int pixels(int logical) const;

    /// The side, in screen pixels, of a cell of the hatch's 8 x 8 grid: the factor rounded,
    /// at least 1. A hatch line is one cell wide and the grid must stay aligned with the
    /// screen's pixels, so the cell is a whole number of them: 1 at 1.25, 2 at 1.5 and 2.
    int hatchCell() const;

private:
    double m_factor;
};

} // namespace kerulo
