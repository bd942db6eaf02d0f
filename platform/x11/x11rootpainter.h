#pragma once

#include "platform/screenpainter.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

struct xcb_connection_t;

namespace kerulo {

/// Paints figures on the root window through a graphics context that includes every window
/// above it, so they land on whatever is on the screen. Only right without a compositor: a
/// compositor paints over the root window whenever it repaints.
class X11RootPainter : public ScreenPainter {
public:
    explicit X11RootPainter(xcb_connection_t* connection);
    ~X11RootPainter() override;
    X11RootPainter(const X11RootPainter&) = delete;
    X11RootPainter& operator=(const X11RootPainter&) = delete;

    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;

private:
    /// How an RGB colour becomes a pixel value of the root window's visual.
    struct ColourMasks {
        uint32_t red = 0;
        uint32_t green = 0;
        uint32_t blue = 0;
    };

    uint32_t pixelOf(QRgb colour);
    uint32_t stippleFor(Hatch hatch, int scale);
    void fill(const std::vector<Span>& spans);

    xcb_connection_t* m_connection;
    uint32_t m_root = 0;
    uint32_t m_colormap = 0;
    uint32_t m_gc = 0;
    /// Empty masks: the visual has no fixed colour layout and colours are asked of the server.
    ColourMasks m_masks;
    std::map<QRgb, uint32_t> m_allocated;
    std::map<std::pair<Hatch, int>, uint32_t> m_stipples;
    std::size_t m_maxRectanglesPerRequest = 0;
};

} // namespace kerulo
