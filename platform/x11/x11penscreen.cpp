#include "platform/x11/x11penscreen.h"

#include "image/spanunion.h"
#include "platform/x11/x11figurewindow.h"
#include "platform/x11/x11inputsurface.h"
#include "platform/x11/x11rootpainter.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace kerulo {

namespace {
template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Every window, and the root window's background, repaint when a window that covered them all
// goes away. Tried on desktops without a compositor and with two kinds of compositor, only a
// window with a background of its own that is mapped, seen by the server and unmapped again
// made all three repaint; without a compositor the screen may show that window for a frame.
void repaintEveryWindow(xcb_connection_t* c) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    Reply<xcb_get_geometry_reply_t> root(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, screen->root), nullptr), &free);
    const xcb_window_t cover = xcb_generate_id(c);
    xcb_create_window_value_list_t values{};
    values.background_pixel = screen->black_pixel;
    values.override_redirect = 1;
    xcb_create_window_aux(c, XCB_COPY_FROM_PARENT, cover, screen->root, 0, 0,
                          root ? root->width : screen->width_in_pixels,
                          root ? root->height : screen->height_in_pixels, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, &values);
    xcb_map_window(c, cover);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // a round trip
    xcb_unmap_window(c, cover);
    xcb_destroy_window(c, cover);
    xcb_flush(c);
}
} // namespace

X11PenScreen::X11PenScreen(QObject* parent) : PenScreen(parent), m_connection(qtConnection()) {
    if (m_connection)
        watchCompositor();
}

X11PenScreen::~X11PenScreen() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

// A compositor holds the selection _NET_WM_CM_S0 while it runs; the server tells of every
// change of its owner, also when the compositor ends without a word.
void X11PenScreen::watchCompositor() {
    static const char name[] = "_NET_WM_CM_S0";
    Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(m_connection,
                              xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name),
                              nullptr),
        &free);
    if (!atom)
        return;
    m_compositorSelection = atom->atom;
    const xcb_query_extension_reply_t* xfixes =
        xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    // The extension answers nothing before its version has been asked.
    free(xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0),
                                        nullptr));
    // The toolkit watches the same selection on the same window with the same events; the
    // selection here is the same as its own, so it goes on seeing them.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_xfixes_select_selection_input(m_connection, root, m_compositorSelection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(m_connection);
    m_selectionEvents = xfixes->first_event;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

// The event is left to the toolkit too, which keeps its own idea of the compositor.
bool X11PenScreen::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || m_selectionEvents == 0)
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_selectionEvents + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    auto* notify = static_cast<xcb_xfixes_selection_notify_event_t*>(message);
    if (notify->selection != m_compositorSelection || m_wayCheckPending)
        return false;
    m_wayCheckPending = true;
    QMetaObject::invokeMethod(this, &X11PenScreen::checkWay, Qt::QueuedConnection);
    return false;
}

// Only a pen that is on needs to change its way at once: the next start() chooses anyway.
void X11PenScreen::checkWay() {
    m_wayCheckPending = false;
    if (!m_on || m_target == Target::Undecided)
        return;
    const Target wanted = compositorRuns() ? Target::InkLayer : Target::Root;
    if (wanted != m_target)
        emit wayChanged();
}

PenScreen::Input X11PenScreen::start() {
    m_on = true;
    flushHeldFigure();
    keepEveryMotion(true);
    // Without a connection to the X server the pen's own window is all there is.
    if (!m_connection)
        return Input::Veil;
    useTarget(compositorRuns() ? Target::InkLayer : Target::Root);
    if (m_target == Target::InkLayer) {
        // The veil is mapped after this returns and would lie over the strokes: the layer
        // goes back on top once the event loop has sent the veil's mapping.
        QTimer::singleShot(0, this, [this] {
            if (m_inkLayer)
                m_inkLayer->showLayer();
        });
        return Input::Veil;
    }
    m_inputSurface->show();
    return Input::Surface;
}

void X11PenScreen::stop() {
    m_on = false;
    flushHeldFigure();
    if (m_inputSurface)
        m_inputSurface->hide();
    keepEveryMotion(false);
}

// The toolkit drops a motion when a later one is already waiting, which cuts the corners of
// freehand strokes whenever painting falls behind the mouse; while the pen is on, every motion
// is handed on, whichever window takes the mouse.
void X11PenScreen::keepEveryMotion(bool keep) {
    if (keep == m_keepingEveryMotion)
        return;
    if (keep)
        m_compressedMotion = QCoreApplication::testAttribute(Qt::AA_CompressHighFrequencyEvents);
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents,
                                   keep ? false : m_compressedMotion);
    m_keepingEveryMotion = keep;
}

void X11PenScreen::repaintDesktop() {
    if (!m_connection)
        return;
    // A figure still held back would land on the repainted desktop.
    flushHeldFigure();
    repaintEveryWindow(m_connection);
    if (m_inkLayer)
        m_inkLayer->clear();
    if (m_figureWindow)
        m_figureWindow->clear();
    m_figureParts.clear();
    m_painted = false;
}

// The root painter holds a not-xor figure back until the end of the event loop's turn; whatever
// reads, repaints or leaves the screen meanwhile must see it painted.
void X11PenScreen::flushHeldFigure() {
    if (m_rootPainter)
        m_rootPainter->flush();
}

// The toolkit's ratio as it is: rounding it to a whole number here would make the pen a fifth too
// thin at 1.25 and a third too wide at 1.5.
double X11PenScreen::scale() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

void X11PenScreen::paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) {
    if (!m_connection)
        return;
    if (m_target == Target::Undecided)
        useTarget(compositorRuns() ? Target::InkLayer : Target::Root);
    m_painter->paint(figure, penColour, brushColour, mode);
    m_painted = true;
    if (m_target == Target::Root && mode == RasterMode::Copy &&
        X11FigureWindow::available(m_connection))
        m_figureParts.push_back({figure, penColour, brushColour});
}

// Freehand strokes and rubber bands are painted on the root window, as fast as it goes; the
// figure joins the window that keeps figures once it is done.
void X11PenScreen::figureDone() {
    if (m_figureParts.empty())
        return;
    if (!m_figureWindow)
        m_figureWindow = std::make_unique<X11FigureWindow>(m_connection);
    flushHeldFigure();
    // A freehand stroke is a part per motion, all in one colour: sent as one figure, its
    // overlapping segments cost the server one fill and one change of shape.
    for (size_t first = 0; first < m_figureParts.size();) {
        const Part& part = m_figureParts[first];
        size_t end = first + 1;
        Raster joined = part.figure;
        while (end < m_figureParts.size() && part.figure.brush.empty() &&
               m_figureParts[end].figure.brush.empty() &&
               m_figureParts[end].penColour == part.penColour) {
            const std::vector<Span>& more = m_figureParts[end].figure.pen;
            joined.pen.insert(joined.pen.end(), more.begin(), more.end());
            ++end;
        }
        if (end > first + 1)
            joined.pen = spanUnion(std::move(joined.pen));
        m_figureWindow->paint(joined, part.penColour, part.brushColour);
        first = end;
    }
    m_figureParts.clear();
}

bool X11PenScreen::compositorRuns() const {
    if (m_compositorSelection == 0)
        return false;
    Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, m_compositorSelection), nullptr),
        &free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

// A compositor may have started or stopped since the pen last ran. Figures of the way that is
// being left would stay behind where the new way cannot reach them (under the compositor's
// picture, or as a layer nobody clears), so the desktop repaints first.
void X11PenScreen::useTarget(Target target) {
    if (target == m_target)
        return;
    flushHeldFigure();
    if (m_target != Target::Undecided && m_painted)
        repaintDesktop();
    if (m_inkLayer) {
        m_inkLayer->hideLayer();
        m_inkLayer.reset();
    }
    m_figureWindow.reset();
    m_figureParts.clear();
    if (target == Target::Root) {
        if (!m_rootPainter)
            m_rootPainter = std::make_unique<X11RootPainter>(m_connection);
        if (!m_inputSurface) {
            m_inputSurface = std::make_unique<X11InputSurface>(m_connection);
            connect(m_inputSurface.get(), &X11InputSurface::pressed, this, &PenScreen::pressed);
            connect(m_inputSurface.get(), &X11InputSurface::moved, this, &PenScreen::moved);
            connect(m_inputSurface.get(), &X11InputSurface::released, this, &PenScreen::released);
        }
        m_painter = m_rootPainter.get();
    } else {
        if (m_inputSurface)
            m_inputSurface->hide();
        m_inkLayer = std::make_unique<X11InkLayer>();
        m_inkLayer->showLayer();
        m_painter = m_inkLayer.get();
    }
    m_target = target;
}

} // namespace kerulo
