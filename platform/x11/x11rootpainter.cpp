#include "platform/x11/x11rootpainter.h"

#include "image/bandchange.h"

#include <QMetaObject>

#include <xcb/xcb.h>

namespace kerulo {

namespace {
using Filler = X11SpanFiller;
} // namespace

X11RootPainter::X11RootPainter(xcb_connection_t* connection)
    : m_connection(connection), m_filler(connection) {
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11RootPainter::~X11RootPainter() {
    flush();
}

void X11RootPainter::paint(const Raster& figure, QRgb penColour, QRgb brushColour,
                           RasterMode mode) {
    if (figure.empty())
        return;
    if (mode == RasterMode::NotXor) {
        if (m_holding && (m_heldPen & 0xffffff) == (penColour & 0xffffff) &&
            (m_heldBrush & 0xffffff) == (brushColour & 0xffffff)) {
            if (const auto change = bandChange(m_held, figure)) {
                m_holding = false;
                paintChange(*change, penColour, brushColour);
                xcb_flush(m_connection);
                return;
            }
        }
        flush();
        // Assigned rather than built anew, so the spans' storage is reused from move to move.
        m_held = figure;
        m_heldPen = penColour;
        m_heldBrush = brushColour;
        m_holding = true;
        if (!m_flushPosted) {
            m_flushPosted = true;
            QMetaObject::invokeMethod(
                &m_flushReceiver,
                [this] {
                    m_flushPosted = false;
                    flush();
                },
                Qt::QueuedConnection);
        }
        return;
    }
    flush();
    paintFigure(figure, penColour, brushColour, Filler::FunctionCopy);
    xcb_flush(m_connection);
}

void X11RootPainter::flush() {
    if (!m_holding)
        return;
    m_holding = false;
    paintFigure(m_held, m_heldPen, m_heldBrush, Filler::FunctionEquiv);
    xcb_flush(m_connection);
}

void X11RootPainter::paintFigure(const Raster& figure, QRgb penColour, QRgb brushColour,
                                 uint32_t function) {
    fill(figure.pen, function, m_filler.pixelOf(penColour), Hatch::None, 1);
    fill(figure.brush, function, m_filler.pixelOf(brushColour), figure.hatch, figure.hatchScale);
}

// Painting the old figure again and then the new one in not-xor, a pixel that is pen in one and
// nothing in the other is not-xored with the pen's colour once; pen in one and brush in the other,
// with both colours, which is xor with pen XOR brush. Off the hatch's lines the brush paints
// nothing: there the pen's not-xor alone remains, which is xor with NOT pen.
void X11RootPainter::paintChange(const BandChange& change, QRgb penColour, QRgb brushColour) {
    const uint32_t pen = m_filler.pixelOf(penColour);
    const uint32_t brush = m_filler.pixelOf(brushColour);
    fill(change.penToggle, Filler::FunctionEquiv, pen, Hatch::None, 1);
    fill(change.brushToggle, Filler::FunctionEquiv, brush, change.hatch, change.hatchScale);
    const uint32_t offTheLines = ~pen & m_filler.planes();
    fill(change.swap, Filler::FunctionXor, pen ^ brush, change.hatch, change.hatchScale, &offTheLines);
}

void X11RootPainter::fill(const std::vector<Span>& spans, uint32_t function, uint32_t foreground,
                          Hatch hatch, int hatchScale, const uint32_t* background) {
    m_filler.fill(m_root, spans, function, foreground, hatch, hatchScale, background);
}

} // namespace kerulo
