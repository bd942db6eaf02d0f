#include "effects/tform3.h"

#include "app/windowset.h"
#include "effects/followplacement.h"
#include "platform/systemcolors.h"
#include "store/settingsstore.h"

namespace kerulo {

TForm3::TForm3(WindowSet& forms) : EffectWindow(forms) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("特效3"));
    setFaceColor(Colors::Fuchsia);
    setWindowOpacity(m_alpha / 255.0);
    setGeometry(311, 196, 585, 501);
}

void TForm3::FormCreate() {
    // F7 is registered here, first of all, once the global keys exist; closing the halo
    // releases it.
    const HaloSettings settings = readHaloSettings();
    applyLook(settings.size, settings.colour, settings.opacity);
}

void TForm3::applyLook(int diameter, int colour, int opacity) {
    resize(diameter, diameter);
    setFaceColor(FollowPlacement::colourFromNumber(colour));
    m_alpha = FollowPlacement::haloAlpha(opacity);
    setWindowOpacity(m_alpha / 255.0);
    setMask(QRegion(0, 0, width(), height(), QRegion::Ellipse));
    HaloSize = diameter;
}

QColor TForm3::colour() const {
    return palette().color(QPalette::Window);
}

void TForm3::Timer3Timer(QPoint pointer) {
    const QPoint place = FollowPlacement::haloTopLeft(pointer, HaloSize);
    if (pos() != place)
        move(place);
}

} // namespace kerulo
