#pragma once

namespace kerulo {

/// How the pen's line is broken up. The order is the order of the toolbox's line-style list.
enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot };

/// How a closed figure's interior is filled. The order is the order of the toolbox's brush-style
/// list. Hollow leaves the interior untouched; the hatches paint only their lines.
enum class BrushStyle {
    Solid,
    Hollow,
    Horizontal,
    Vertical,
    ForwardDiagonal,
    BackwardDiagonal,
    Cross
};

} // namespace kerulo
