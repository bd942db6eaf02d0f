#pragma once

#include "image/raster.h"

#include <QRgb>

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

struct xcb_connection_t;

namespace kerulo {

/// Fills spans of pixels on drawables of the root window's depth (the root window itself or
/// pixmaps) through a graphics context of its own: a core raster function, a colour of the root
/// window's visual, and a brush's hatch as a stipple whose origin is the screen's. On the root
/// window the fills include every window above it.
class X11SpanFiller {
public:
    // Core protocol raster functions (the GX names of Xlib).
    static constexpr uint32_t FunctionCopy = 3;  // GXcopy: pixel = source
    static constexpr uint32_t FunctionXor = 6;   // GXxor: pixel = source XOR pixel
    static constexpr uint32_t FunctionEquiv = 9; // GXequiv: pixel = NOT(source XOR pixel)

    explicit X11SpanFiller(xcb_connection_t* connection);
    ~X11SpanFiller();
    X11SpanFiller(const X11SpanFiller&) = delete;
    X11SpanFiller& operator=(const X11SpanFiller&) = delete;

    /// The pixel value of an RGB colour in the root window's visual.
    uint32_t pixelOf(QRgb colour);
    /// The bits of a pixel that painting may change: the colour's, never others a visual has.
    uint32_t planes() const { return m_planes; }
    /// Fills the spans of `drawable` with the function and foreground, only on the hatch's lines
    /// when there is one; with a background as well, the pixels off the lines get the function
    /// with it.
    void fill(uint32_t drawable, const std::vector<Span>& spans, uint32_t function,
              uint32_t foreground, Hatch hatch, int hatchScale,
              const uint32_t* background = nullptr);

private:
    /// How an RGB colour becomes a pixel value of the root window's visual.
    struct ColourMasks {
        uint32_t red = 0;
        uint32_t green = 0;
        uint32_t blue = 0;
    };

    void fillRectangles(uint32_t drawable, const std::vector<Span>& spans);
    uint32_t stippleFor(Hatch hatch, int scale);

    xcb_connection_t* m_connection;
    uint32_t m_root = 0;
    uint32_t m_colormap = 0;
    uint32_t m_gc = 0;
    /// Empty masks: the visual has no fixed colour layout and colours are asked of the server.
    ColourMasks m_masks;
    uint32_t m_planes = 0;
    std::map<QRgb, uint32_t> m_allocated;
    std::map<std::pair<Hatch, int>, uint32_t> m_stipples;
    std::size_t m_maxRectanglesPerRequest = 0;
};

} // namespace kerulo
