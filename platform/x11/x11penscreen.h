#pragma once

#include "platform/penscreen.h"
#include "platform/x11/x11inklayer.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <memory>
#include <vector>

struct xcb_connection_t;

namespace kerulo {

class X11FigureWindow;
class X11InputSurface;
class X11RootPainter;

/// The pen's screen on X11. Without a compositor the figures go straight onto the root window
/// over every window and an invisible input window takes the mouse; each figure, once done, is
/// kept in a window of its own too (where the server can shape windows), so that a window
/// redrawing beneath does not wipe it. With one, whatever is painted on the root window is wiped at the compositor's next repaint, so the figures go to
/// an ink layer above the other windows and the pen's own window takes the mouse. A compositor
/// that comes or goes while the pen is on is noticed through its selection, and wayChanged()
/// asks for the pen to start again the other way.
class X11PenScreen : public PenScreen, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11PenScreen(QObject* parent = nullptr);
    ~X11PenScreen() override;

    Input start() override;
    void stop() override;
    void repaintDesktop() override;
    double scale() const override;
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;
    void figureDone() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    enum class Target { Undecided, Root, InkLayer };

    void watchCompositor();
    bool compositorRuns() const;
    void checkWay();
    void keepEveryMotion(bool keep);
    void flushHeldFigure();
    void useTarget(Target target);

    xcb_connection_t* m_connection = nullptr;
    /// The compositor's selection, and the first event number of the extension that reports
    /// its changes of owner (0 without it).
    uint32_t m_compositorSelection = 0;
    uint8_t m_selectionEvents = 0;
    bool m_wayCheckPending = false;
    /// Between start() and stop().
    bool m_on = false;
    Target m_target = Target::Undecided;
    /// Something was painted since the last repaint of the desktop.
    bool m_painted = false;
    std::unique_ptr<X11RootPainter> m_rootPainter;
    std::unique_ptr<X11InputSurface> m_inputSurface;
    std::unique_ptr<X11InkLayer> m_inkLayer;
    std::unique_ptr<X11FigureWindow> m_figureWindow;
    /// Painted for good on the root window since the last figure was done.
    struct Part {
        Raster figure;
        QRgb penColour;
        QRgb brushColour;
    };
    std::vector<Part> m_figureParts;
    ScreenPainter* m_painter = nullptr;
    bool m_keepingEveryMotion = false;
    bool m_compressedMotion = true;
};

} // namespace kerulo
