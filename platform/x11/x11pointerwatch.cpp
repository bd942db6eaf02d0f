#include "platform/x11/x11pointerwatch.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <memory>

namespace kerulo {

namespace {
xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
} // namespace

X11PointerWatch::X11PointerWatch(QObject* parent) : ThrottledPointerWatch(parent) {
    const bool raw = selectRawMotion();
    if (raw)
        QCoreApplication::instance()->installNativeEventFilter(this);
    startChecking(raw);
}

X11PointerWatch::~X11PointerWatch() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11PointerWatch::selectRawMotion() {
    xcb_connection_t* c = qtConnection();
    if (!c)
        return false;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_input_id);
    if (!ext || !ext->present)
        return false;

    std::unique_ptr<xcb_input_xi_query_version_reply_t, decltype(&free)> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr), &free);
    if (!version || version->major_version < 2)
        return false;

    // Master devices only: selecting every device would deliver each motion twice. Qt's own
    // selections on the root window are for all devices and are left untouched.
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::unique_ptr<xcb_generic_error_t, decltype(&free)> error(
        xcb_request_check(c, xcb_input_xi_select_events_checked(c, root, 1, &selection.head)),
        &free);
    if (error)
        return false;
    m_xinputOpcode = ext->major_opcode;
    return true;
}

bool X11PointerWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
        return false;
    auto* ge = static_cast<xcb_ge_generic_event_t*>(message);
    if (ge->extension == m_xinputOpcode && ge->event_type == XCB_INPUT_RAW_MOTION)
        motionSeen();
    return false;
}

} // namespace kerulo
