#include "app/trayicon.h"

#include "app/appicon.h"

#include <QTimer>

namespace kerulo {

// Making the icon asks the desktop's message bus which kind of tray it offers, which takes
// several milliseconds: the icon appears as soon as the event loop runs, after the windows
// are on screen.
TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    QTimer::singleShot(0, this, &TrayIcon::appear);
}

TrayIcon::~TrayIcon() {
    if (m_icon)
        m_icon->hide();
}

void TrayIcon::appear() {
    m_icon = std::make_unique<QSystemTrayIcon>(appIcon());
    m_icon->setToolTip(QStringLiteral("Kerulo"));
    // Context is the right-button press; left, middle and double clicks do nothing.
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason r) {
                if (r == QSystemTrayIcon::Context)
                    emit menuRequested();
            });
    m_icon->show();
}

} // namespace kerulo
