#pragma once

#include "platform/screenpainter.h"
#include "platform/x11/x11spanfiller.h"

#include <QObject>

#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace kerulo {

struct BandChange;

/// Paints figures on the root window through a graphics context that includes every window
/// above it, so they land on whatever is on the screen. Only right without a compositor: a
/// compositor paints over the root window whenever it repaints.
///
/// A rubber band's move is two not-xor figures, the old band again and the new one, which
/// together touch every pixel of both; only the pixels whose part changes (nothing, pen or
/// brush) need painting. So a not-xor figure is held back until the next paint or the end of
/// the event loop's current turn, whichever comes first: a not-xor figure of the same colours
/// next paints only the change from the held one, anything else paints the held figure first.
class X11RootPainter : public ScreenPainter {
public:
    explicit X11RootPainter(xcb_connection_t* connection);
    ~X11RootPainter() override;
    X11RootPainter(const X11RootPainter&) = delete;
    X11RootPainter& operator=(const X11RootPainter&) = delete;

    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;
    /// Paints the figure held back, if any. Call before anything else reads or paints the screen
    /// in the same turn of the event loop.
    void flush();

private:
    void paintFigure(const Raster& figure, QRgb penColour, QRgb brushColour, uint32_t function);
    void paintChange(const BandChange& change, QRgb penColour, QRgb brushColour);
    void fill(const std::vector<Span>& spans, uint32_t function, uint32_t foreground, Hatch hatch,
              int hatchScale, const uint32_t* background = nullptr);

    xcb_connection_t* m_connection;
    uint32_t m_root = 0;
    X11SpanFiller m_filler;

    /// The not-xor figure held back, with its colours.
    bool m_holding = false;
    Raster m_held;
    QRgb m_heldPen = 0;
    QRgb m_heldBrush = 0;
    /// A flush at the end of the event loop's turn is on its way.
    bool m_flushPosted = false;
    /// Receives that flush; gone with the painter, it takes a pending one along.
    QObject m_flushReceiver;
};

} // namespace kerulo
