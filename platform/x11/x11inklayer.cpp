#include "platform/x11/x11inklayer.h"

#include "platform/x11/hugepagepixels.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

namespace kerulo {

namespace {
template <class T> using Reply = std::unique_ptr<T, decltype(&free)>;

// Requests stay well below what any server accepts, and the staging copy stays small.
constexpr size_t PutPixelsCap = size_t(1) << 18;

xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_connection_t* requireConnection() {
    xcb_connection_t* c = qtConnection();
    if (!c)
        throw std::runtime_error("The pen's ink layer needs an X11 display.");
    return c;
}

xcb_screen_t* defaultScreen(xcb_connection_t* c) {
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data;
}

QSize rootSize(xcb_connection_t* c) {
    const xcb_screen_t* screen = defaultScreen(c);
    return {screen->width_in_pixels, screen->height_in_pixels};
}

bool isRgb(const xcb_visualtype_t& v) {
    return v._class == XCB_VISUAL_CLASS_TRUE_COLOR && v.red_mask == 0xff0000u &&
           v.green_mask == 0x00ff00u && v.blue_mask == 0x0000ffu;
}

// The visual that carries alpha: depth 32, the colour in the low 24 bits.
xcb_visualid_t argbVisual(xcb_screen_t* screen) {
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        if (d.data->depth != 32)
            continue;
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (isRgb(*v.data))
                return v.data->visual_id;
    }
    return XCB_NONE;
}

const xcb_visualtype_t* visualType(xcb_screen_t* screen, xcb_visualid_t id) {
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == id)
                return v.data;
    return nullptr;
}

int bitsPerPixel(xcb_connection_t* c, int depth) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth)
            return f.data->bits_per_pixel;
    return 0;
}

void setText(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
             const QByteArray& value) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_STRING, 8,
                        uint32_t(value.size()), value.constData());
}

quint32 swapped(quint32 v) {
    return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}
} // namespace

// Exposures of the layer's window arrive among the toolkit's events; they are noted here and
// answered from the event loop, never inside native event handling.
class X11InkLayer::Exposures : public QAbstractNativeEventFilter {
public:
    Exposures(xcb_window_t window, std::function<void(const QRect&)> exposed)
        : m_window(window), m_exposed(std::move(exposed)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Exposures() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_EXPOSE)
            return false;
        auto* expose = static_cast<xcb_expose_event_t*>(message);
        if (expose->window != m_window)
            return false;
        m_exposed(QRect(expose->x, expose->y, expose->width, expose->height));
        return true;
    }

private:
    xcb_window_t m_window;
    std::function<void(const QRect&)> m_exposed;
};

X11InkLayer::X11InkLayer()
    : m_connection(requireConnection()),
      m_image(
          rootSize(m_connection),
          [this](const std::vector<QRect>& areas, quint32* screen) { readScreen(areas, screen); },
          hugePagePixels()) {
    xcb_connection_t* c = m_connection;
    xcb_screen_t* screen = defaultScreen(c);
    m_root = screen->root;

    // The screen is read as 32-bit words 0x..RRGGBB for the rubber band's colours.
    const xcb_visualtype_t* rootVisual = visualType(screen, screen->root_visual);
    if (!rootVisual || !isRgb(*rootVisual) || bitsPerPixel(c, screen->root_depth) != 32)
        throw std::runtime_error("The pen's ink layer needs a screen of 24-bit colour.");
    const xcb_visualid_t visual = argbVisual(screen);
    if (visual == XCB_NONE || bitsPerPixel(c, 32) != 32)
        throw std::runtime_error("The display offers no 32-bit visual for the pen's ink layer.");
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c, &xcb_shape_id);
    if (!shape || !shape->present)
        throw std::runtime_error("The display has no shape extension: clicks could not pass "
                                 "through the pen's ink layer.");
    m_swapBytes = xcb_get_setup(c)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST;

    // A window of another depth than its parent needs its own colormap and a border pixel, or
    // the server refuses it.
    m_colormap = xcb_generate_id(c);
    xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, m_colormap, m_root, visual);
    m_window = xcb_generate_id(c);
    const uint32_t values[] = {0, 0, 1, XCB_EVENT_MASK_EXPOSURE, m_colormap};
    Reply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_create_window_checked(
                                 c, 32, m_window, m_root, 0, 0, uint16_t(m_image.size().width()),
                                 uint16_t(m_image.size().height()), 0,
                                 XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
                                 XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL |
                                     XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                                 values)),
        &free);
    if (error) {
        xcb_free_colormap(c, m_colormap);
        throw std::runtime_error("The pen's ink layer could not be created (X error " +
                                 std::to_string(error->error_code) + ").");
    }
    // No input shape at all: the server hands every press to the window beneath.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         m_window, 0, 0, 0, nullptr);
    const QByteArray app = QCoreApplication::applicationName().toUtf8();
    setText(c, m_window, XCB_ATOM_WM_CLASS, app + '\0' + app + '\0');
    setText(c, m_window, XCB_ATOM_WM_NAME, QByteArrayLiteral("Kerulo ink"));

    m_gc = xcb_generate_id(c);
    const uint32_t noExposures = 0;
    xcb_create_gc(c, m_gc, m_window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);

    const size_t maxRequest = size_t(xcb_get_maximum_request_length(c)) * 4;
    m_maxPutPixels = std::min(PutPixelsCap, (maxRequest - sizeof(xcb_put_image_request_t)) / 4);

    m_exposures = std::make_unique<Exposures>(m_window, [this](const QRect& area) {
        m_exposed.push_back(area);
        scheduleUpload();
    });
    xcb_flush(c);
}

X11InkLayer::~X11InkLayer() {
    m_exposures.reset();
    // The toolkit's connection may already be gone when the application ends first.
    xcb_connection_t* c = qtConnection();
    if (c != m_connection)
        return;
    xcb_free_gc(c, m_gc);
    xcb_destroy_window(c, m_window);
    xcb_free_colormap(c, m_colormap);
    xcb_flush(c);
}

void X11InkLayer::paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) {
    m_image.paint(figure, penColour, brushColour, mode);
    scheduleUpload();
}

void X11InkLayer::clear() {
    m_image.clear();
    m_exposed.clear();
    if (m_mapped) {
        xcb_unmap_window(m_connection, m_window);
        m_mapped = false;
        xcb_flush(m_connection);
    }
}

void X11InkLayer::showLayer() {
    m_hidden = false;
    m_image.forgetScreen();
    if (m_image.hasStrokes())
        map();
}

void X11InkLayer::hideLayer() {
    m_hidden = true;
    if (m_mapped) {
        xcb_unmap_window(m_connection, m_window);
        m_mapped = false;
        xcb_flush(m_connection);
    }
}

// Raised on every showing: windows that came up meanwhile would otherwise cover the figures.
// Once mapped, the exposure brings back whatever the layer holds.
void X11InkLayer::map() {
    if (m_hidden)
        return;
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    if (!m_mapped) {
        xcb_map_window(m_connection, m_window);
        m_mapped = true;
    }
    xcb_flush(m_connection);
}

void X11InkLayer::scheduleUpload() {
    if (m_uploadPending)
        return;
    m_uploadPending = true;
    QMetaObject::invokeMethod(
        &m_queue, [this] { upload(); }, Qt::QueuedConnection);
}

// A rubber band's move paints the old figure away and the new one in; only the pixels that
// differ after both go to the server, in rectangles that hold few others.
void X11InkLayer::upload() {
    m_uploadPending = false;
    std::vector<QRect> areas = m_image.takeChanges();
    if (!m_mapped && m_image.hasStrokes())
        map();
    if (m_mapped)
        for (const QRect& exposed : m_exposed) {
            const std::vector<QRect> painted = m_image.paintedTiles(exposed);
            areas.insert(areas.end(), painted.begin(), painted.end());
        }
    m_exposed.clear();
    if (!m_mapped || areas.empty())
        return;
    for (const QRect& area : areas)
        put(area);
    xcb_flush(m_connection);
}

void X11InkLayer::put(const QRect& area) {
    const quint32* pixels = m_image.pixels();
    if (!pixels)
        return;
    const size_t stride = size_t(m_image.size().width());
    const int chunkWidth = int(std::min(m_maxPutPixels, size_t(area.width())));
    for (int x = area.left(); x <= area.right(); x += chunkWidth) {
        const int w = std::min(chunkWidth, area.right() - x + 1);
        const int rowsPerPut = int(std::max<size_t>(1, m_maxPutPixels / size_t(w)));
        for (int y = area.top(); y <= area.bottom(); y += rowsPerPut) {
            const int h = std::min(rowsPerPut, area.bottom() - y + 1);
            const quint32* from = pixels + size_t(y) * stride + size_t(x);
            // A single row, or whole rows, lie in the image as the request wants them.
            if (!m_swapBytes && (h == 1 || size_t(w) == stride)) {
                xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_gc, uint16_t(w),
                              uint16_t(h), int16_t(x), int16_t(y), 0, 32,
                              uint32_t(size_t(w) * size_t(h) * sizeof(quint32)),
                              reinterpret_cast<const uint8_t*>(from));
                continue;
            }
            m_staging.resize(size_t(w) * size_t(h));
            for (int row = 0; row < h; ++row)
                std::memcpy(&m_staging[size_t(row) * size_t(w)], from + size_t(row) * stride,
                            size_t(w) * sizeof(quint32));
            if (m_swapBytes)
                std::transform(m_staging.begin(), m_staging.end(), m_staging.begin(), swapped);
            xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_gc, uint16_t(w),
                          uint16_t(h), int16_t(x), int16_t(y), 0, 32,
                          uint32_t(m_staging.size() * sizeof(quint32)),
                          reinterpret_cast<const uint8_t*>(m_staging.data()));
        }
    }
}

// The root window's image is what the screen shows, the compositor's picture included. A few
// requests stay ahead of the replies read: the round trips overlap, and the replies' memory is
// used again and again instead of a whole screen's worth of fresh pages at once.
void X11InkLayer::readScreen(const std::vector<QRect>& areas, quint32* screen) {
    constexpr size_t Ahead = 4;
    std::vector<xcb_get_image_cookie_t> cookies;
    cookies.reserve(areas.size());
    const auto ask = [&] {
        const QRect& a = areas[cookies.size()];
        cookies.push_back(xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root,
                                        int16_t(a.x()), int16_t(a.y()), uint16_t(a.width()),
                                        uint16_t(a.height()), ~0u));
    };
    while (cookies.size() < std::min(Ahead, areas.size()))
        ask();
    const size_t stride = size_t(m_image.size().width());
    bool complete = true;
    for (size_t i = 0; i < areas.size(); ++i) {
        const QRect& a = areas[i];
        if (cookies.size() < areas.size())
            ask();
        xcb_generic_error_t* rawError = nullptr;
        Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(m_connection, cookies[i], &rawError),
                                           &free);
        free(rawError);
        const size_t rowBytes = size_t(a.width()) * sizeof(quint32);
        if (!reply ||
            size_t(xcb_get_image_data_length(reply.get())) < rowBytes * size_t(a.height())) {
            complete = false;
            continue;
        }
        const uint8_t* data = xcb_get_image_data(reply.get());
        for (int row = 0; row < a.height(); ++row) {
            quint32* to = screen + size_t(a.y() + row) * stride + size_t(a.x());
            std::memcpy(to, data + size_t(row) * rowBytes, rowBytes);
            if (m_swapBytes)
                std::transform(to, to + a.width(), to, swapped);
        }
    }
    if (!complete)
        throw std::runtime_error("The screen could not be read for the pen's rubber band.");
}

} // namespace kerulo
