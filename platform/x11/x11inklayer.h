#pragma once

#include "image/inkimage.h"
#include "platform/screenpainter.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

struct xcb_connection_t;

namespace kerulo {

/// The pen's figures on a desktop with a compositor, where paint on the root window is wiped by
/// the compositor's next repaint of what lies beneath. The figures live on a window of their own
/// over the whole screen: override-redirect, on a 32-bit visual that the compositor blends, clear
/// where nothing is painted, and with an empty input shape so that every click goes to the window
/// beneath. Changes reach the server once control is back in the event loop, and then only the
/// pixels that differ from what the window shows, so that a rubber band's erase and redraw of a
/// large figure costs what actually moved.
///
/// The window comes on the screen with the first figure that leaves a pixel on it and stays
/// until clear() or hideLayer(), above every window that was there when it came up. It covers
/// the screen as it was when the layer was made. Without a compositor it would be opaque black:
/// use it only while one runs.
class X11InkLayer : public ScreenPainter {
public:
    /// Throws std::runtime_error when there is no X11 display, or it has no 32-bit visual or no
    /// shape extension.
    X11InkLayer();
    ~X11InkLayer() override;
    X11InkLayer(const X11InkLayer&) = delete;
    X11InkLayer& operator=(const X11InkLayer&) = delete;

    /// Not-xor figures read the screen when they are applied, from the event loop: a read that
    /// fails throws std::runtime_error there, and the figures wait for the next try.
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;
    /// Every figure goes and the window leaves the screen.
    void clear();
    /// Puts the window back on the screen, over every other, with the figures it holds; the
    /// next not-xor figure reads the screen afresh.
    void showLayer();
    /// Takes the window off the screen; its figures are kept, and paints while it is hidden
    /// show when it comes back.
    void hideLayer();
    /// Whether any pixel of a figure is on the layer.
    bool hasStrokes() const { return m_image.hasStrokes(); }

private:
    class Exposures;

    void readScreen(const std::vector<QRect>& areas, quint32* screen);
    void map();
    void scheduleUpload();
    void upload();
    void put(const QRect& area);

    xcb_connection_t* m_connection = nullptr;
    uint32_t m_root = 0;
    uint32_t m_window = 0;
    uint32_t m_colormap = 0;
    uint32_t m_gc = 0;
    bool m_swapBytes = false;
    size_t m_maxPutPixels = 0;
    bool m_mapped = false;
    bool m_hidden = false;
    bool m_uploadPending = false;
    // Not-xor figures are applied when the image is first looked at (see InkImage), which
    // hasStrokes() may be.
    mutable InkImage m_image;
    std::vector<QRect> m_exposed;
    std::vector<quint32> m_staging;
    std::unique_ptr<Exposures> m_exposures;
    // Context of the queued upload: gone with the layer, so a pending upload goes with it.
    QObject m_queue;
};

} // namespace kerulo
