#pragma once

#include "platform/penscreen.h"
#include "platform/win32/win32inklayer.h"

#include <memory>

namespace kerulo {

/// The pen's screen on Windows. The desktop window manager composes every window, so the
/// figures go to an ink layer above the other windows, and the pen's own window, a faint veil
/// over the screen, takes the mouse. The desktop never changes its way while the pen is on.
class Win32PenScreen : public PenScreen {
    Q_OBJECT
public:
    explicit Win32PenScreen(QObject* parent = nullptr);
    ~Win32PenScreen() override;

    Input start() override;
    void stop() override;
    void repaintDesktop() override;
    double scale() const override;
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;

private:
    Win32InkLayer& layer();

    std::unique_ptr<Win32InkLayer> m_layer;
};

} // namespace kerulo
