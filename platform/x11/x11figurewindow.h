#pragma once

#include "image/raster.h"
#include "platform/x11/x11spanfiller.h"

#include <QRect>
#include <QRgb>

#include <cstdint>

struct xcb_connection_t;

namespace kerulo {

/// Figures kept in a window of their own over the whole screen, for desktops without a
/// compositor, where figures painted on the screen itself go wherever a window beneath redraws.
/// The window's shape is exactly the figures' pixels, so that what lies beneath shows around
/// them and never over them; its input shape is empty, so every click goes through to what is
/// beneath. The pixels live in the server, as the window's background, which the server
/// repaints by itself whenever the window is exposed.
///
/// Between the lines of a hatched brush the window keeps what the screen showed beneath when the
/// figure was painted: a shape made of every line pixel would cost the X server a second to set
/// and a quarter of a second on each move of a window beneath (bench/shape.sh).
class X11FigureWindow {
public:
    /// Whether the server can shape windows; without that the window would cover the screen.
    static bool available(xcb_connection_t* connection);

    /// Throws std::runtime_error where the server cannot shape windows.
    explicit X11FigureWindow(xcb_connection_t* connection);
    ~X11FigureWindow();
    X11FigureWindow(const X11FigureWindow&) = delete;
    X11FigureWindow& operator=(const X11FigureWindow&) = delete;

    uint32_t window() const { return m_window; }
    /// Adds the figure's pixels in copy mode: the pen's spans in penColour, the brush's in
    /// brushColour on its hatch's lines. The window comes up with its first figure.
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour);
    /// Every figure gone: the window shows nothing.
    void clear();
    bool empty() const { return m_empty; }
    /// Above every window there is now.
    void raise();

private:
    void addToShape(const std::vector<Span>& spans);

    xcb_connection_t* m_connection;
    uint32_t m_root = 0;
    QRect m_screen;
    X11SpanFiller m_filler;
    uint32_t m_pixels = 0;
    uint32_t m_copyGc = 0;
    uint32_t m_window = 0;
    bool m_mapped = false;
    bool m_empty = true;
};

} // namespace kerulo
