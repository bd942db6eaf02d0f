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

void ScreenCanvas::lineTo(QPoint p) {
    const QPoint from = m_position.value_or(p);
    m_position = p;
    paint(rasterizer().line(from, p));
}

void ScreenCanvas::rectangle(QPoint a, QPoint b) {
    paint(rasterizer().rectangle(a, b));
}

void ScreenCanvas::ellipse(QPoint a, QPoint b) {
    paint(rasterizer().ellipse(a, b));
}

void ScreenCanvas::roundRect(QPoint a, QPoint b, int cornerWidth, int cornerHeight) {
    paint(rasterizer().roundRect(a, b, cornerWidth, cornerHeight));
}

FigureRasterizer ScreenCanvas::rasterizer() const {
    return FigureRasterizer(PenShape{m_penWidth, m_penStyle, m_scale}, m_brushStyle);
}

void ScreenCanvas::paint(const Raster& figure) {
    if (!figure.empty())
        m_painter.paint(figure, m_penColour, m_brushColour, m_rasterMode);
}

} // namespace kerulo
