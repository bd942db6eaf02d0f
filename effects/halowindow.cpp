#include "effects/halowindow.h"

#include "effects/followplacement.h"
#include "store/settingsstore.h"
#include "ui/systemcolors.h"
#include "ui/windows.h"

namespace kerulo {

HaloWindow::HaloWindow(Windows& windows) : EffectWindow(windows) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("特效3"));
    setFaceColor(Colors::Fuchsia);
    setWindowOpacity(m_alpha / 255.0);
    setGeometry(311, 196, 585, 501);
}

void HaloWindow::setUp() {
    // F7 is registered here, first of all, once the global keys exist; closing the halo
    // releases it.
    const HaloSettings settings = readHaloSettings();
    applyLook(settings.size, settings.colour, settings.opacity);
}

void HaloWindow::applyLook(int diameter, int colour, int opacity) {
    resize(diameter, diameter);
    setFaceColor(FollowPlacement::colourFromNumber(colour));
    m_alpha = FollowPlacement::haloAlpha(opacity);
    setWindowOpacity(m_alpha / 255.0);
    setMask(QRegion(0, 0, width(), height(), QRegion::Ellipse));
    m_haloSize = diameter;
}

QColor HaloWindow::colour() const {
    return palette().color(QPalette::Window);
}

void HaloWindow::followPointer(QPoint pointer) {
    const QPoint place = FollowPlacement::haloTopLeft(pointer, m_haloSize);
    if (pos() != place)
        move(place);
}

} // namespace kerulo
