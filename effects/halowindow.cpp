#include "effects/halowindow.h"

#include "effects/followplacement.h"
#include "effects/haloextent.h"
#include "effects/hotkeyswitch.h"
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
    // First, so that F7 works even when the settings cannot be read. It stays until the
    // program ends: closing the halo only hides it, and the key that shows it again must live.
    registerHotKey(GlobalKeys::Key::F7);
    const HaloSettings settings = readHaloSettings();
    applyLook(settings.size, settings.colour, settings.opacity);
}

void HaloWindow::onHotKey(GlobalKeys::Key key) {
    if (key == GlobalKeys::Key::F7)
        HotKeySwitch::apply(windows(), key);
}

// A diameter beyond what any screen shows is carried by a window no larger than the screen
// needs; see HaloExtent.
void HaloWindow::applyLook(int diameter, int colour, int opacity) {
    const QSize screen = windows().platform().pointer.primaryScreenSize();
    m_windowSide = HaloExtent::windowSide(diameter, HaloExtent::maxSide(screen));
    windows().platform().windowMover.resize(*this, QSize(m_windowSide, m_windowSide));
    setFaceColor(FollowPlacement::colourFromNumber(colour));
    m_alpha = FollowPlacement::haloAlpha(opacity);
    setWindowOpacity(m_alpha / 255.0);
    setMask(HaloExtent::shape(diameter, m_windowSide));
    m_haloSize = diameter;
}

QColor HaloWindow::colour() const {
    return palette().color(QPalette::Window);
}

void HaloWindow::followPointer(QPoint pointer) {
    const QPoint place = HaloExtent::topLeft(pointer, m_haloSize, m_windowSide);
    if (pos() != place)
        windows().platform().windowMover.move(*this, place);
}

} // namespace kerulo
