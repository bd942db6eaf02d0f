#include "app/trayicon.h"

#include "app/appicon.h"

#include <QMenu>
#include <QTimer>

namespace kerulo {

// Making the icon asks the desktop's message bus which kind of tray it offers, which takes
// several milliseconds: the icon appears as soon as the event loop runs, after the windows
// are on screen.
TrayIcon::TrayIcon(std::function<QMenu*()> menu, QObject* parent)
    : QObject(parent), m_menuSource(std::move(menu)) {
    QTimer::singleShot(0, this, &TrayIcon::appear);
}

TrayIcon::~TrayIcon() {
    if (m_icon)
        m_icon->hide();
}

// The menu is opened by the toolkit (on the right-button press, at the pointer) or by the tray
// host, never by this program: the activated signal, which comes for the right button too, is
// left unconnected, so that a right press can never open a second menu.
void TrayIcon::appear() {
    m_icon = std::make_unique<QSystemTrayIcon>(appIcon());
    m_icon->setToolTip(QStringLiteral("Kerulo"));
    m_icon->setContextMenu(m_menuSource());
    m_icon->show();
}

} // namespace kerulo
