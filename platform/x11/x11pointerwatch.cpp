#include "platform/x11/x11pointerwatch.h"

#include <QCursor>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <memory>

namespace kerulo {

namespace {
constexpr int CatchUpInterval = 1000; // ms; only warps need it
constexpr int FallbackInterval = 10;  // ms; without XInput2 this is all there is
constexpr qint64 MinReportGap = 4;    // ms between two reports of raw motion

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}
} // namespace

X11PointerWatch::X11PointerWatch(QObject* parent) : PointerWatch(parent) {
    m_lastPosition = QCursor::pos();
    const bool raw = selectRawMotion();
    if (raw)
        QCoreApplication::instance()->installNativeEventFilter(this);
    m_check.setTimerType(raw ? Qt::CoarseTimer : Qt::PreciseTimer);
    m_check.setInterval(raw ? CatchUpInterval : FallbackInterval);
    connect(&m_check, &QTimer::timeout, this, &X11PointerWatch::checkPosition);
    m_check.start();
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
        reportSoon();
    return false;
}

// Handlers must not run inside native event handling, and a burst of raw events needs only one
// look at the pointer: a single report is queued and later events ride on it. A fast mouse
// sends a motion every millisecond, and every move of a window costs the toolkit a round trip
// to the server, so reports come at most every MinReportGap; the last one is never dropped.
void X11PointerWatch::reportSoon() {
    if (m_reportPending)
        return;
    m_reportPending = true;
    const qint64 sinceLast = m_sinceReport.isValid() ? m_sinceReport.elapsed() : MinReportGap;
    if (sinceLast >= MinReportGap)
        QMetaObject::invokeMethod(this, &X11PointerWatch::report, Qt::QueuedConnection);
    else
        QTimer::singleShot(int(MinReportGap - sinceLast), Qt::PreciseTimer, this,
                           &X11PointerWatch::report);
}

void X11PointerWatch::report() {
    m_reportPending = false;
    m_sinceReport.start();
    m_lastPosition = QCursor::pos();
    emit moved(m_lastPosition);
}

void X11PointerWatch::checkPosition() {
    const QPoint now = QCursor::pos();
    if (now == m_lastPosition)
        return;
    m_lastPosition = now;
    emit moved(now);
}

} // namespace kerulo
