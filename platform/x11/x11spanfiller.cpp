#include "platform/x11/x11spanfiller.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>

namespace kerulo {

namespace {
// Keeps each fill request well under the size every server accepts without BIG-REQUESTS.
constexpr std::size_t RectanglesPerRequestCap = 8192;

xcb_screen_t* firstScreen(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

const xcb_visualtype_t* rootVisual(const xcb_screen_t* screen) {
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
         xcb_depth_next(&depths))
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == screen->root_visual)
                return visuals.data;
    return nullptr;
}

// An 8-bit channel placed under a mask of any width: 0xRRGGBB on the usual 24-bit visual,
// fewer bits on 15- and 16-bit ones, more on 30-bit ones.
uint32_t channel(int value, uint32_t mask) {
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask >> shift & 1u))
        ++shift;
    const uint64_t top = mask >> shift;
    return uint32_t((uint64_t(value) * top + 127) / 255) << shift;
}

int16_t clampCoordinate(int v) {
    return int16_t(std::clamp<int>(v, std::numeric_limits<int16_t>::min(),
                                   std::numeric_limits<int16_t>::max()));
}
} // namespace

X11SpanFiller::X11SpanFiller(xcb_connection_t* connection) : m_connection(connection) {
    xcb_screen_t* screen = firstScreen(m_connection);
    m_root = screen->root;
    m_colormap = screen->default_colormap;
    if (const xcb_visualtype_t* visual = rootVisual(screen);
        visual && (visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                   visual->_class == XCB_VISUAL_CLASS_DIRECT_COLOR))
        m_masks = {visual->red_mask, visual->green_mask, visual->blue_mask};
    m_planes = m_masks.red | m_masks.green | m_masks.blue;
    if (!m_planes)
        m_planes = screen->root_depth >= 32 ? ~0u : (1u << screen->root_depth) - 1;

    const uint32_t maxUnits = xcb_get_maximum_request_length(m_connection);
    // A fill request is 3 units of header and 2 units per rectangle.
    m_maxRectanglesPerRequest =
        std::clamp<std::size_t>((maxUnits - 3) / 2, 1, RectanglesPerRequestCap);

    m_gc = xcb_generate_id(m_connection);
    xcb_create_gc_value_list_t values{};
    values.function = FunctionCopy;
    // Not-xor must not turn on bits outside the colour's, such as an alpha channel's.
    values.plane_mask = m_planes;
    values.fill_style = XCB_FILL_STYLE_SOLID;
    // Without it the root window's GC paints only where no window covers the root.
    values.subwindow_mode = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
    values.graphics_exposures = 0;
    // The _aux call writes the values in the order of their mask bits, which the protocol
    // requires: out of order, IncludeInferiors is silently lost.
    xcb_create_gc_aux(m_connection, m_gc, m_root,
                      XCB_GC_FUNCTION | XCB_GC_PLANE_MASK | XCB_GC_FILL_STYLE |
                          XCB_GC_SUBWINDOW_MODE | XCB_GC_GRAPHICS_EXPOSURES,
                      &values);
}

X11SpanFiller::~X11SpanFiller() {
    for (const auto& stipple : m_stipples)
        xcb_free_pixmap(m_connection, stipple.second);
    if (!m_allocated.empty()) {
        std::vector<uint32_t> pixels;
        for (const auto& colour : m_allocated)
            pixels.push_back(colour.second);
        xcb_free_colors(m_connection, m_colormap, 0, uint32_t(pixels.size()), pixels.data());
    }
    xcb_free_gc(m_connection, m_gc);
    xcb_flush(m_connection);
}

void X11SpanFiller::fill(uint32_t drawable, const std::vector<Span>& spans, uint32_t function,
                         uint32_t foreground, Hatch hatch, int hatchScale,
                         const uint32_t* background) {
    if (spans.empty())
        return;
    xcb_change_gc_value_list_t values{};
    values.function = function;
    values.foreground = foreground;
    uint32_t mask = XCB_GC_FUNCTION | XCB_GC_FOREGROUND | XCB_GC_FILL_STYLE;
    if (hatch == Hatch::None) {
        values.fill_style = XCB_FILL_STYLE_SOLID;
    } else {
        // A stippled fill paints only where the stipple has a 1 and leaves the other pixels
        // alone: the hatch's transparent background. An opaque stippled fill paints those with
        // the background. With the stipple's origin at the screen's origin the lines continue
        // from one figure to the next.
        if (background) {
            values.background = *background;
            mask |= XCB_GC_BACKGROUND;
        }
        values.fill_style = background ? XCB_FILL_STYLE_OPAQUE_STIPPLED : XCB_FILL_STYLE_STIPPLED;
        values.stipple = stippleFor(hatch, std::max(1, hatchScale));
        values.tile_stipple_x_origin = 0;
        values.tile_stipple_y_origin = 0;
        mask |= XCB_GC_STIPPLE | XCB_GC_TILE_STIPPLE_ORIGIN_X | XCB_GC_TILE_STIPPLE_ORIGIN_Y;
    }
    xcb_change_gc_aux(m_connection, m_gc, mask, &values);
    fillRectangles(drawable, spans);
}

void X11SpanFiller::fillRectangles(uint32_t drawable, const std::vector<Span>& spans) {
    std::vector<xcb_rectangle_t> rectangles;
    rectangles.reserve(std::min(spans.size(), m_maxRectanglesPerRequest));
    const auto send = [&] {
        if (!rectangles.empty())
            xcb_poly_fill_rectangle(m_connection, drawable, m_gc, uint32_t(rectangles.size()),
                                    rectangles.data());
        rectangles.clear();
    };
    for (const Span& span : spans) {
        const int16_t x0 = clampCoordinate(span.x0);
        const int16_t x1 = clampCoordinate(span.x1);
        if (x1 <= x0 || span.y != clampCoordinate(span.y))
            continue;
        rectangles.push_back({x0, int16_t(span.y), uint16_t(x1 - x0), 1});
        if (rectangles.size() == m_maxRectanglesPerRequest)
            send();
    }
    send();
}

uint32_t X11SpanFiller::pixelOf(QRgb colour) {
    if (m_masks.red | m_masks.green | m_masks.blue)
        return channel(qRed(colour), m_masks.red) | channel(qGreen(colour), m_masks.green) |
               channel(qBlue(colour), m_masks.blue);

    // A visual with a colour table: the server picks the nearest cell it can share.
    const QRgb rgb = colour & 0xffffff;
    if (const auto known = m_allocated.find(rgb); known != m_allocated.end())
        return known->second;
    std::unique_ptr<xcb_alloc_color_reply_t, decltype(&free)> reply(
        xcb_alloc_color_reply(m_connection,
                              xcb_alloc_color(m_connection, m_colormap, uint16_t(qRed(rgb) * 257),
                                              uint16_t(qGreen(rgb) * 257),
                                              uint16_t(qBlue(rgb) * 257)),
                              nullptr),
        &free);
    const uint32_t pixel = reply ? reply->pixel : firstScreen(m_connection)->black_pixel;
    if (reply)
        m_allocated[rgb] = pixel;
    return pixel;
}

// The stipple is drawn with fills rather than uploaded as an image, which leaves bit and byte
// order to the server.
uint32_t X11SpanFiller::stippleFor(Hatch hatch, int scale) {
    const auto key = std::make_pair(hatch, scale);
    if (const auto known = m_stipples.find(key); known != m_stipples.end())
        return known->second;

    const int side = 8 * scale;
    const xcb_pixmap_t stipple = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, 1, stipple, m_root, uint16_t(side), uint16_t(side));
    const xcb_gcontext_t gc = xcb_generate_id(m_connection);
    const uint32_t clear[] = {0};
    xcb_create_gc(m_connection, gc, stipple, XCB_GC_FOREGROUND, clear);
    const xcb_rectangle_t whole{0, 0, uint16_t(side), uint16_t(side)};
    xcb_poly_fill_rectangle(m_connection, stipple, gc, 1, &whole);

    std::vector<xcb_rectangle_t> lines;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (hatchCovers(hatch, scale, x, y))
                lines.push_back({int16_t(x), int16_t(y), 1, 1});
    const uint32_t set[] = {1};
    xcb_change_gc(m_connection, gc, XCB_GC_FOREGROUND, set);
    xcb_poly_fill_rectangle(m_connection, stipple, gc, uint32_t(lines.size()), lines.data());
    xcb_free_gc(m_connection, gc);

    m_stipples.emplace(key, stipple);
    return stipple;
}

} // namespace kerulo
