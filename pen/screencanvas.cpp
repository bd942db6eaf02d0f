#include "pen/screencanvas.h"

#include "pen/figurerasterizer.h"
#include "platform/screenpainter.h"

namespace kerulo {

ScreenCanvas::ScreenCanvas(ScreenPainter& painter)
    : m_painter(painter), m_penColour(qRgb(0, 0, 0)), m_brushColour(qRgb(255, 255, 255)) {}

void ScreenCanvas::setBrushColour(QRgb colour) {
    m_brushColour = colour;
    if (m_brushStyle == BrushStyle::Hollow)
        m_brushStyle = BrushStyle::Solid;
}

void ScreenCanvas::setBrushStyle(BrushStyle style) {
    m_brushStyle = style;
    if (style == BrushStyle::Hollow)
        m_brushColour = qRgb(255, 255, 255);
}

void ScreenCanvas::moveTo(QPoint p) {
    m_position = p;
}

void ScreenCanvas::figureDone() {
    m_painter.figureDone();
}

void ScreenCanvas::lineTo(QPoint p) {
    const QPoint from = m_position.value_or(p);
    m_position = p;
    paint(rasterOf(keyOf(FigureKey::Kind::Line, from, p),
                   [&](const FigureRasterizer& r) { return r.line(from, p); }));
}

void ScreenCanvas::rectangle(QPoint a, QPoint b) {
    paint(rasterOf(keyOf(FigureKey::Kind::Rectangle, a, b),
                   [&](const FigureRasterizer& r) { return r.rectangle(a, b); }));
}

void ScreenCanvas::ellipse(QPoint a, QPoint b) {
    paint(rasterOf(keyOf(FigureKey::Kind::Ellipse, a, b),
                   [&](const FigureRasterizer& r) { return r.ellipse(a, b); }));
}

void ScreenCanvas::roundRect(QPoint a, QPoint b, int cornerWidth, int cornerHeight) {
    paint(rasterOf(
        keyOf(FigureKey::Kind::RoundRect, a, b, QPoint(cornerWidth, cornerHeight)),
        [&](const FigureRasterizer& r) { return r.roundRect(a, b, cornerWidth, cornerHeight); }));
}

bool ScreenCanvas::FigureKey::operator==(const FigureKey& other) const {
    return kind == other.kind && a == other.a && b == other.b && corner == other.corner &&
           penWidth == other.penWidth && penStyle == other.penStyle &&
           brushStyle == other.brushStyle && scale == other.scale;
}

ScreenCanvas::FigureKey ScreenCanvas::keyOf(FigureKey::Kind kind, QPoint a, QPoint b,
                                            QPoint corner) const {
    return FigureKey{kind, a, b, corner, m_penWidth, m_penStyle, m_brushStyle, m_scale};
}

const Raster& ScreenCanvas::rasterOf(const FigureKey& key,
                                     const std::function<Raster(const FigureRasterizer&)>& draw) {
    if (m_lastKey == key)
        return m_lastRaster;
    m_lastRaster = draw(rasterizer());
    m_lastKey = key;
    return m_lastRaster;
}

FigureRasterizer ScreenCanvas::rasterizer() const {
    return FigureRasterizer(PenShape{m_penWidth, m_penStyle, m_scale}, m_brushStyle);
}

void ScreenCanvas::paint(const Raster& figure) {
    if (!figure.empty())
        m_painter.paint(figure, m_penColour, m_brushColour, m_rasterMode);
}

} // namespace kerulo
