#pragma once

#include "platform/penscreen.h"
#include "platform/x11/x11inklayer.h"

#include <memory>

struct xcb_connection_t;

namespace kerulo {

class X11InputSurface;
class X11RootPainter;

/// The pen's screen on X11. Without a compositor the figures go straight onto the root window
/// over every window and an invisible input window takes the mouse; with one, whatever is
/// painted on the root window is wiped at the compositor's next repaint, so the figures go to
/// an ink layer above the other windows and the pen's own window takes the mouse.
class X11PenScreen : public PenScreen {
    Q_OBJECT
public:
    explicit X11PenScreen(QObject* parent = nullptr);
    ~X11PenScreen() override;

    Input start() override;
    void stop() override;
    void repaintDesktop() override;
    int scale() const override;
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;

private:
    enum class Target { Undecided, Root, InkLayer };

    bool compositorRuns() const;
    void keepEveryMotion(bool keep);
    void flushHeldFigure();
    void useTarget(Target target);

    xcb_connection_t* m_connection = nullptr;
    Target m_target = Target::Undecided;
    /// Something was painted since the last repaint of the desktop.
    bool m_painted = false;
    std::unique_ptr<X11RootPainter> m_rootPainter;
    std::unique_ptr<X11InputSurface> m_inputSurface;
    std::unique_ptr<X11InkLayer> m_inkLayer;
    ScreenPainter* m_painter = nullptr;
    bool m_keepingEveryMotion = false;
    bool m_compressedMotion = true;
};

} // namespace kerulo
