#include "effects/tform2.h"

#include "app/errorreporter.h"
#include "app/tform1.h"
#include "app/trayicon.h"
#include "app/windowset.h"
#include "platform/systemcolors.h"
#include "settings/tform4.h"

namespace kerulo {

TForm2::TForm2(WindowSet& forms) : KForm(forms) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("跟随2"));
    // Bypassing the window manager keeps it from framing the window, and a frame would take
    // the clicks that must reach the windows beneath.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint);
    setFaceColor(Colors::Gray);
    setGeometry(786, 111, 131, 140);
}

// The tray icon goes with the window, after everything else the window holds.
TForm2::~TForm2() { m_trayIcon.reset(); }

void TForm2::Close() { forms().terminate(); }

void TForm2::FormCreate() {
    resize(128, 128);
    addTrayIcon();
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
