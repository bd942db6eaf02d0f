#include "platform/win32/win32penscreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <windows.h>


namespace kerulo {

Win32PenScreen::Win32PenScreen(QObject* parent) : PenScreen(parent) {}

Win32PenScreen::~Win32PenScreen() = default;

// Made on first use: a program whose pen never comes on needs no screen-sized pixels.
Win32InkLayer& Win32PenScreen::layer() {
    if (!m_layer)
        m_layer = std::make_unique<Win32InkLayer>();
    return *m_layer;
}

PenScreen::Input Win32PenScreen::start() {
    layer().showLayer();
    // The veil is shown after this returns; the layer is top-most and stays above it, but
    // top-most windows shown meanwhile may not: it goes back on top once the veil is up.
    QTimer::singleShot(0, this, [this] {
        if (m_layer)
            m_layer->showLayer();
    });
    return Input::Veil;
}

// What was painted stays on the screen.
void Win32PenScreen::stop() {}

// Every window repaints, the desktop's background too; the figures on the layer go with it.
void Win32PenScreen::repaintDesktop() {
    RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (m_layer)
        m_layer->clear();
}

// Windows scales by 125 % or 150 % by default: the factor as it is, never rounded.
double Win32PenScreen::scale() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

void Win32PenScreen::paint(const Raster& figure, QRgb penColour, QRgb brushColour,
                           RasterMode mode) {
    layer().paint(figure, penColour, brushColour, mode);
}

} // namespace kerulo
