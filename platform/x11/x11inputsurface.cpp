#include "platform/x11/x11inputsurface.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace kerulo {

namespace {
// Glyphs of the standard cursor font: each shape is followed by its mask.
constexpr uint16_t CrosshairGlyph = 34;

// Buttons 4 to 7 are the wheel's clicks (up, down, left, right): scrolling is not drawing.
bool isWheel(xcb_button_t button) {
    return button >= 4 && button <= 7;
}
} // namespace

X11InputSurface::X11InputSurface(xcb_connection_t* connection, QObject* parent)
    : QObject(parent), m_connection(connection) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_root = screen->root;

    const xcb_font_t font = xcb_generate_id(m_connection);
    const char fontName[] = "cursor";
    xcb_open_font(m_connection, font, uint16_t(std::strlen(fontName)), fontName);
    m_cursor = xcb_generate_id(m_connection);
    xcb_create_glyph_cursor(m_connection, m_cursor, font, font, CrosshairGlyph, CrosshairGlyph + 1,
                            0, 0, 0, 0xffff, 0xffff, 0xffff);
    xcb_close_font(m_connection, font);

    // Input-only: the window has no pixels, takes pointer events over its whole area and is
    // placed by no window manager.
    m_window = xcb_generate_id(m_connection);
    xcb_create_window_value_list_t values{};
    values.override_redirect = 1;
    values.event_mask =
        XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
    values.cursor = m_cursor;
    xcb_create_window_aux(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0,
                          screen->width_in_pixels, screen->height_in_pixels, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_CURSOR, &values);
    xcb_flush(m_connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11InputSurface::~X11InputSurface() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    hide();
    xcb_destroy_window(m_connection, m_window);
    xcb_free_cursor(m_connection, m_cursor);
    xcb_flush(m_connection);
}

void X11InputSurface::show() {
    // The screen may have changed size since the window was made.
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> root(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_root), nullptr),
        &free);
    xcb_configure_window_value_list_t place{};
    place.x = 0;
    place.y = 0;
    place.width = root ? root->width : 1;
    place.height = root ? root->height : 1;
    place.stack_mode = XCB_STACK_MODE_ABOVE;
    xcb_configure_window_aux(m_connection, m_window,
                             XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                 XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                             &place);
    xcb_map_window(m_connection, m_window);
    xcb_flush(m_connection);
    m_shown = true;
}

void X11InputSurface::hide() {
    if (!m_shown)
        return;
    xcb_unmap_window(m_connection, m_window);
    xcb_flush(m_connection);
    m_shown = false;
}

// Runs inside the toolkit's event processing: the events are only read here, and the signals
// go out from the event loop, in the order the events came.
bool X11InputSurface::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7f;
    // Press, release and motion events share their layout up to the fields read here.
    if (type != XCB_BUTTON_PRESS && type != XCB_BUTTON_RELEASE && type != XCB_MOTION_NOTIFY)
        return false;
    auto* input = static_cast<xcb_button_press_event_t*>(message);
    if (input->event != m_window)
        return false;

    const QPoint position(input->root_x, input->root_y);
    if (type == XCB_MOTION_NOTIFY)
        QMetaObject::invokeMethod(
            this, [this, position] { emit moved(position); }, Qt::QueuedConnection);
    else if (isWheel(input->detail))
        return true;
    else if (type == XCB_BUTTON_PRESS)
        QMetaObject::invokeMethod(
            this, [this, position] { emit pressed(position); }, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(
            this, [this, position] { emit released(position); }, Qt::QueuedConnection);
    return true;
}

} // namespace kerulo
