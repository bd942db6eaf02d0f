#include "platform/x11/x11pointerwatch.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QtGui/private/qhighdpiscaling_p.h>
#include <qpa/qplatformscreen.h>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace kerulo {

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

void X11PointerWatch::Disconnect::operator()(xcb_connection_t* c) const {
    xcb_disconnect(c);
}

X11PointerWatch::X11PointerWatch(QObject* parent) : ThrottledPointerWatch(parent) {
    startChecking(connectForRawMotion());
}

X11PointerWatch::~X11PointerWatch() = default;

bool X11PointerWatch::connectForRawMotion() {
    // The display the toolkit opened: it was given no other than the environment's.
    m_connection.reset(xcb_connect(nullptr, nullptr));
    xcb_connection_t* c = m_connection.get();
    if (xcb_connection_has_error(c)) {
        m_connection.reset();
        return false;
    }
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_input_id);
    if (!ext || !ext->present)
        return false;
    Reply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr), &free);
    if (!version || version->major_version < 2)
        return false;

    // Master devices only: selecting every device would deliver each motion twice.
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    m_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    Reply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_input_xi_select_events_checked(c, m_root, 1, &selection.head)),
        &free);
    if (error)
        return false;
    m_xinputOpcode = ext->major_opcode;
    m_events = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    connect(m_events.get(), &QSocketNotifier::activated, this, &X11PointerWatch::readEvents);
    return true;
}

void X11PointerWatch::readEvents() {
    xcb_connection_t* c = m_connection.get();
    bool moved = false;
    // One read of the socket takes in what it has; reading again would only find it empty.
    for (xcb_generic_event_t* event = xcb_poll_for_event(c); event;
         event = xcb_poll_for_queued_event(c)) {
        const auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(event);
        moved |= (event->response_type & 0x7f) == XCB_GE_GENERIC &&
                 ge->extension == m_xinputOpcode && ge->event_type == XCB_INPUT_RAW_MOTION;
        free(event);
    }
    if (xcb_connection_has_error(c)) {
        // The display went away; the toolkit's own connection decides what happens next.
        m_events.reset();
        startChecking(false);
        return;
    }
    if (moved)
        motionSeen(SeenFrom::EventLoop);
}

bool X11PointerWatch::takeQueuedMotion() {
    bool moved = false;
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(m_connection.get())) {
        moved = true;
        free(event);
    }
    return moved;
}

QPoint X11PointerWatch::pointerPosition() {
    if (!m_events)
        return QCursor::pos();
    xcb_connection_t* c = m_connection.get();
    Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, m_root), nullptr), &free);
    // Motion read while waiting came before the answer, which already holds it.
    takeQueuedMotion();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!pointer || !screen)
        return QCursor::pos();
    // As the toolkit turns the window system's pixels into its own coordinates.
    const QPoint native(pointer->root_x, pointer->root_y);
    const QPlatformScreen* at = screen->handle()->screenForPosition(native);
    return QHighDpi::fromNativePixels(native, at ? at->screen() : screen);
}

} // namespace kerulo
