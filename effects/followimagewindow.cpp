#include "effects/followimagewindow.h"

#include "effects/followpicture.h"
#include "effects/followplacement.h"
#include "effects/hotkeyswitch.h"
#include "settings/settingsdialog.h"
#include "store/picturepath.h"
#include "store/settingsstore.h"
#include "ui/systemcolors.h"
#include "ui/windows.h"

#include <QLabel>

namespace kerulo {

FollowImageWindow::FollowImageWindow(Windows& windows) : EffectWindow(windows) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("跟随2"));
    setFaceColor(Colors::Gray);
    setGeometry(786, 111, 131, 140);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(0, 0, FollowPictureSide, FollowPictureSide);
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    updateShape(QImage());
}

void FollowImageWindow::closeWindow() {
    windows().closeProgram();
}

void FollowImageWindow::setUp() {
    const FollowImageSettings settings = readFollowImageSettings();
    m_cursorOffset = settings.offset;
    setPicture(loadFollowPicture(localPicturePath(settings.fileName)));
    // A picture or setting that fails to load leaves F8 unregistered.
    registerHotKey(GlobalKeys::Key::F8);
    windows().platform().windowMover.resize(*this, QSize(FollowPictureSide, FollowPictureSide));
    windows().addTrayIcon();
}

void FollowImageWindow::onHotKey(GlobalKeys::Key key) {
    if (key == GlobalKeys::Key::F8)
        HotKeySwitch::apply(windows(), key);
}

// The picture goes to the screen in its own pixels: at a scale such as 1.25 the toolkit would
// otherwise blend it up to size, and the gray it blends into the edge shows as a rim.
void FollowImageWindow::setPicture(const QImage& composed) {
    const double factor = devicePixelRatio();
    QPixmap shown = QPixmap::fromImage(followPictureInScreenPixels(composed, factor));
    shown.setDevicePixelRatio(factor);
    m_picture->setPixmap(shown);
    updateShape(composed);
}

bool FollowImageWindow::hasPicture() const {
    return !m_picture->pixmap().isNull();
}

// Everything outside the picture's opaque pixels is see-through, the whole window when there
// is no picture. An empty mask would mean "no mask" to the toolkit, so a window with nothing
// to show gets a one-pixel shape outside itself.
void FollowImageWindow::updateShape(const QImage& composed) {
    QRegion shape = composed.isNull() ? QRegion() : followPictureOpaqueRegion(composed);
    if (shape.isEmpty())
        shape = QRegion(-1, -1, 1, 1);
    setMask(shape);
}

void FollowImageWindow::followPointer(QPoint pointer) {
    const QPoint place = FollowPlacement::followTopLeft(pointer, m_cursorOffset);
    if (pos() != place)
        windows().platform().windowMover.move(*this, place);
}

// Every showing brings the toolbar out and closes the settings dialog; a caller that wants
// the dialog on screen shows it again afterwards.
void FollowImageWindow::whenShown() {
    windows().toolbar().showInFront();
    windows().settings().closeWindow();
}

} // namespace kerulo
