#pragma once

#include "image/raster.h"
#include "pen/penstyle.h"

#include <QPoint>
#include <QRgb>

#include <functional>
#include <optional>

namespace kerulo {

class FigureRasterizer;
class ScreenPainter;

/// The one drawing object the pen paints the screen with: pen, brush, raster mode and current
/// position, over the screen's painter. Each figure is rasterized once and painted with one
/// call, in the current raster mode, which applies to outline and interior alike.
class ScreenCanvas {
public:
    /// A fresh canvas draws as a fresh drawing context does: a black pen 1 pixel wide, solid,
    /// a solid white brush, copy mode, scale 1, and no current position.
    explicit ScreenCanvas(ScreenPainter& painter);

    QRgb penColour() const { return m_penColour; }
    void setPenColour(QRgb colour) { m_penColour = colour; }
    /// In logical pixels; the screen width is penWidth() * scale(), rounded (PenScale). Below 1
    /// draws as 1.
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width) { m_penWidth = width; }
    PenStyle penStyle() const { return m_penStyle; }
    void setPenStyle(PenStyle style) { m_penStyle = style; }
    RasterMode rasterMode() const { return m_rasterMode; }
    void setRasterMode(RasterMode mode) { m_rasterMode = mode; }

    QRgb brushColour() const { return m_brushColour; }
    /// A hollow brush given a colour becomes solid.
    void setBrushColour(QRgb colour);
    BrushStyle brushStyle() const { return m_brushStyle; }
    /// A hollow brush also turns white, so a solid brush chosen later fills white until a
    /// colour is given.
    void setBrushStyle(BrushStyle style);

    /// Screen pixels per logical pixel of the pen's width, its dashes and the hatch's grid: the
    /// display's scale factor, which need not be whole. Below 1 draws as 1.
    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }

    std::optional<QPoint> currentPosition() const { return m_position; }

    /// Sets the current position; paints nothing.
    void moveTo(QPoint p);
    /// What was painted for good since the last call makes one figure: a stroke was released.
    void figureDone();
    /// A line with the pen from the current position to p, whose end is painted only by a pen
    /// wider than one screen pixel; the current position becomes p. Without a current position
    /// the line starts at p, a line of no length.
    void lineTo(QPoint p);
    // The closed figures span the two corners in either order, the outline with the pen, the
    // interior with the brush; the current position stays.
    void rectangle(QPoint a, QPoint b);
    void ellipse(QPoint a, QPoint b);
    /// The corner sizes count by their magnitude.
    void roundRect(QPoint a, QPoint b, int cornerWidth, int cornerHeight);

private:
    /// A figure as asked for, with everything of the canvas that shapes its pixels.
    struct FigureKey {
        enum class Kind { Line, Rectangle, Ellipse, RoundRect } kind;
        QPoint a;
        QPoint b;
        QPoint corner;
        int penWidth;
        PenStyle penStyle;
        BrushStyle brushStyle;
        double scale;
        bool operator==(const FigureKey& other) const;
    };
    FigureKey keyOf(FigureKey::Kind kind, QPoint a, QPoint b, QPoint corner = {}) const;
    /// The figure's pixels: a rubber band paints each figure twice, once to show it and once to
    /// take it away, and the second time the pixels of the first serve again.
    const Raster& rasterOf(const FigureKey& key,
                           const std::function<Raster(const FigureRasterizer&)>& draw);
    FigureRasterizer rasterizer() const;
    void paint(const Raster& figure);

    ScreenPainter& m_painter;
    QRgb m_penColour;
    int m_penWidth = 1;
    PenStyle m_penStyle = PenStyle::Solid;
    RasterMode m_rasterMode = RasterMode::Copy;
    QRgb m_brushColour;
    BrushStyle m_brushStyle = BrushStyle::Solid;
    double m_scale = 1;
    std::optional<QPoint> m_position;
    std::optional<FigureKey> m_lastKey;
    Raster m_lastRaster;
};

} // namespace kerulo
