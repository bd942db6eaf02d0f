#include "pen/penstroke.h"

#include "pen/screencanvas.h"

namespace kerulo {

PenStroke::PenStroke(ScreenCanvas& canvas) : m_canvas(canvas) {}

bool PenStroke::drawsBand(int tool) {
    return tool >= Line && tool <= RoundRect;
}

void PenStroke::press(QPoint p) {
    // A second press without a release starts over; the band of the first goes with it.
    removeBand();
    m_active = true;
    m_canvas.moveTo(p);
    m_anchor = p;
    m_track = p;
}

void PenStroke::move(QPoint p) {
    if (!m_active)
        return;
    removeBand();
    m_track = p;
    paintFigure(m_tool, m_anchor, m_track, RasterMode::NotXor);
    if (drawsBand(m_tool))
        m_band = Band{m_tool, m_anchor, m_track};
}

void PenStroke::release(QPoint p) {
    if (!m_active)
        return;
    removeBand();
    m_track = p;
    paintFigure(m_tool, m_anchor, m_track, RasterMode::Copy);
    m_canvas.figureDone();
    m_active = false;
}

void PenStroke::paintFigure(QPoint anchor, QPoint track, RasterMode mode) {
    paintFigure(m_tool, anchor, track, mode);
}

void PenStroke::removeBand() {
    if (!m_band)
        return;
    // Not-xor a second time restores what lay under the band.
    const Band band = *m_band;
    m_band.reset();
    paintFigure(band.tool, band.anchor, band.track, RasterMode::NotXor);
}

void PenStroke::paintFigure(int tool, QPoint anchor, QPoint track, RasterMode mode) {
    m_canvas.setRasterMode(mode);
    switch (tool) {
    case Freehand:
        // Freehand is painted for good as the pointer moves, whatever mode was asked for.
        m_canvas.setRasterMode(RasterMode::Copy);
        m_canvas.lineTo(track);
        break;
    case Line:
        m_canvas.moveTo(anchor);
        m_canvas.lineTo(track);
        break;
    case Rectangle:
        m_canvas.rectangle(anchor, track);
        break;
    case Ellipse:
        m_canvas.ellipse(anchor, track);
        break;
    case RoundRect:
        // Signed, truncated toward zero: both negative when the drag goes right and down.
        m_canvas.roundRect(anchor, track, (anchor.x() - track.x()) / 2,
                           (anchor.y() - track.y()) / 2);
        break;
    default:
        break;
    }
}

} // namespace kerulo
