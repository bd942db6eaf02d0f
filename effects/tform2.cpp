#include "effects/tform2.h"

#include "app/errorreporter.h"
#include "app/tform1.h"
#include "app/trayicon.h"
#include "app/windowset.h"
#include "effects/followpicture.h"
#include "effects/followplacement.h"
#include "platform/systemcolors.h"
#include "settings/tform4.h"
#include "store/picturepath.h"
#include "store/settingsstore.h"

#include <QLabel>

namespace kerulo {

TForm2::TForm2(WindowSet& forms) : EffectWindow(forms) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("跟随2"));
    setFaceColor(Colors::Gray);
    setGeometry(786, 111, 131, 140);

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(0, 0, FollowPictureSide, FollowPictureSide);
    m_image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    updateShape(QImage());
}

// F8 is released here, once the global keys exist, and then the tray icon is removed.
TForm2::~TForm2() {
    m_trayIcon.reset();
}

void TForm2::Close() {
    forms().terminate();
}

void TForm2::FormCreate() {
    const FollowImageSettings settings = readFollowImageSettings();
    CursorOffset = settings.offset;
    setPicture(loadFollowPicture(localPicturePath(settings.fileName)));
    // F8 is registered here, once the global keys exist: after the picture, before the size.
    resize(FollowPictureSide, FollowPictureSide);
    addTrayIcon();
}

void TForm2::setPicture(const QImage& composed) {
    m_image1->setPixmap(QPixmap::fromImage(composed));
    updateShape(composed);
}

bool TForm2::hasPicture() const {
    return !m_image1->pixmap().isNull();
}

// Everything outside the picture's opaque pixels is see-through, the whole window when there
// is no picture. An empty mask would mean "no mask" to the toolkit, so a window with nothing
// to show gets a one-pixel shape outside itself.
void TForm2::updateShape(const QImage& composed) {
    QRegion shape = composed.isNull() ? QRegion() : followPictureOpaqueRegion(composed);
    if (shape.isEmpty())
        shape = QRegion(-1, -1, 1, 1);
    setMask(shape);
}

void TForm2::Timer2Timer(QPoint pointer) {
    const QPoint place = FollowPlacement::followTopLeft(pointer, CursorOffset);
    if (pos() != place)
        move(place);
}

void TForm2::addTrayIcon() {
    m_trayIcon = std::make_unique<TrayIcon>();
    connect(m_trayIcon.get(), &TrayIcon::menuRequested, this,
            [this] { ErrorReporter::guard([this] { trayMenuRequested(); }); });
}

void TForm2::trayMenuRequested() {
    if (const std::optional<QPoint> pointer = forms().platform().pointer.position())
        forms().Form1->popUpMenuAt(*pointer);
}

// Every showing brings the toolbar out and closes the settings dialog; a caller that wants
// the dialog on screen shows it again afterwards.
void TForm2::FormShow() {
    forms().Form1->Show();
    forms().Form4->Close();
}

} // namespace kerulo
