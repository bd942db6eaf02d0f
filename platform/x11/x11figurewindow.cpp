#include "platform/x11/x11figurewindow.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <stdexcept>
#include <vector>

namespace kerulo {

namespace {
// Keeps each shape request well under the size every server accepts without BIG-REQUESTS.
constexpr size_t RectanglesPerRequest = 8192;

QRect boundsOf(const std::vector<Span>& spans) {
    QRect bounds;
    for (const Span& s : spans)
        bounds |= QRect(s.x0, s.y, s.x1 - s.x0, 1);
    return bounds;
}

xcb_rectangle_t rectangleOf(const QRect& r) {
    return {int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())};
}
} // namespace

bool X11FigureWindow::available(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    return shape && shape->present;
}

X11FigureWindow::X11FigureWindow(xcb_connection_t* connection)
    : m_connection(connection), m_filler(connection) {
    if (!available(m_connection))
        throw std::runtime_error("The X server cannot shape windows for the pen's figures.");
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_root = screen->root;
    m_screen = QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);

    m_pixels = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, screen->root_depth, m_pixels, m_root,
                      uint16_t(m_screen.width()), uint16_t(m_screen.height()));
    // Copies what the screen shows, every window included.
    m_copyGc = xcb_generate_id(m_connection);
    const uint32_t copyValues[] = {XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS, 0};
    xcb_create_gc(m_connection, m_copyGc, m_root,
                  XCB_GC_SUBWINDOW_MODE | XCB_GC_GRAPHICS_EXPOSURES, copyValues);

    m_window = xcb_generate_id(m_connection);
    const uint32_t values[] = {m_pixels, 1};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0,
                      uint16_t(m_screen.width()), uint16_t(m_screen.height()), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, values);
    static const char name[] = "Kerulo figures";
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof name - 1, name);
    for (const xcb_shape_kind_t kind : {XCB_SHAPE_SK_INPUT, XCB_SHAPE_SK_BOUNDING})
        xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED,
                             m_window, 0, 0, 0, nullptr);
    xcb_flush(m_connection);
}

X11FigureWindow::~X11FigureWindow() {
    xcb_destroy_window(m_connection, m_window);
    xcb_free_gc(m_connection, m_copyGc);
    xcb_free_pixmap(m_connection, m_pixels);
    xcb_flush(m_connection);
}

void X11FigureWindow::paint(const Raster& figure, QRgb penColour, QRgb brushColour) {
    const QRect brushBounds = boundsOf(figure.brush).intersected(m_screen);
    const QRect bounds = (boundsOf(figure.pen) | brushBounds).intersected(m_screen);
    if (bounds.isEmpty())
        return;
    if (figure.hatch != Hatch::None && !brushBounds.isEmpty())
        xcb_copy_area(m_connection, m_root, m_pixels, m_copyGc, int16_t(brushBounds.x()),
                      int16_t(brushBounds.y()), int16_t(brushBounds.x()),
                      int16_t(brushBounds.y()), uint16_t(brushBounds.width()),
                      uint16_t(brushBounds.height()));
    m_filler.fill(m_pixels, figure.pen, X11SpanFiller::FunctionCopy, m_filler.pixelOf(penColour),
                  Hatch::None, 1);
    m_filler.fill(m_pixels, figure.brush, X11SpanFiller::FunctionCopy,
                  m_filler.pixelOf(brushColour), figure.hatch, figure.hatchScale);
    addToShape(figure.pen);
    addToShape(figure.brush);
    m_empty = false;
    if (!m_mapped) {
        raise();
        xcb_map_window(m_connection, m_window);
        m_mapped = true;
    }
    // Pixels already in the shape that the figure paints over are not exposed again.
    xcb_clear_area(m_connection, 0, m_window, int16_t(bounds.x()), int16_t(bounds.y()),
                   uint16_t(bounds.width()), uint16_t(bounds.height()));
    xcb_flush(m_connection);
}

void X11FigureWindow::addToShape(const std::vector<Span>& spans) {
    std::vector<xcb_rectangle_t> rectangles;
    const auto send = [&] {
        if (!rectangles.empty())
            xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_UNION, XCB_SHAPE_SK_BOUNDING,
                                 XCB_CLIP_ORDERING_UNSORTED, m_window, 0, 0,
                                 uint32_t(rectangles.size()), rectangles.data());
        rectangles.clear();
    };
    for (const Span& s : spans) {
        const QRect r = QRect(s.x0, s.y, s.x1 - s.x0, 1).intersected(m_screen);
        if (r.isEmpty())
            continue;
        rectangles.push_back(rectangleOf(r));
        if (rectangles.size() == RectanglesPerRequest)
            send();
    }
    send();
}

void X11FigureWindow::clear() {
    xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                         XCB_CLIP_ORDERING_UNSORTED, m_window, 0, 0, 0, nullptr);
    if (m_mapped) {
        xcb_unmap_window(m_connection, m_window);
        m_mapped = false;
    }
    m_empty = true;
    xcb_flush(m_connection);
}

void X11FigureWindow::raise() {
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_connection);
}

} // namespace kerulo
