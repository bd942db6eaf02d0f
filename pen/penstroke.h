#pragma once

#include "image/raster.h"

#include <QPoint>

#include <optional>

namespace kerulo {

class ScreenCanvas;

/// A stroke of the pen from press to release, painted on a canvas. Freehand strokes are painted
/// for good as the pointer moves; the other tools show a not-xor rubber band that follows the
/// pointer and paint the figure for good at the release.
///
/// The band on the screen is remembered, so that each move and the release remove exactly the
/// band that was painted: no band is taken off before one was painted, and none is left beside
/// the final figure.
class PenStroke {
public:
    /// Tool codes.
    static constexpr int Freehand = 0;
    static constexpr int Line = 1;
    static constexpr int Rectangle = 2;
    static constexpr int Ellipse = 3;
    static constexpr int RoundRect = 4;

    explicit PenStroke(ScreenCanvas& canvas);

    /// Any code but the five tools paints nothing. A stroke in progress goes on with the new
    /// tool from its next paint.
    void setTool(int code) { m_tool = code; }
    int tool() const { return m_tool; }
    /// A press was taken and its release not yet.
    bool active() const { return m_active; }

    void press(QPoint p);
    /// Ignored without a press.
    void move(QPoint p);
    /// Ignored without a press.
    void release(QPoint p);

    /// Paints the current tool's figure from anchor to track in the given mode; freehand always
    /// paints in copy mode, from the current position to track.
    void paintFigure(QPoint anchor, QPoint track, RasterMode mode);

private:
    struct Band {
        int tool;
        QPoint anchor;
        QPoint track;
    };

    static bool drawsBand(int tool);
    void paintFigure(int tool, QPoint anchor, QPoint track, RasterMode mode);
    void removeBand();

    ScreenCanvas& m_canvas;
    int m_tool = Freehand;
    bool m_active = false;
    QPoint m_anchor;
    QPoint m_track;
    /// The rubber band on the screen, with the tool it was painted with.
    std::optional<Band> m_band;
};

} // namespace kerulo
