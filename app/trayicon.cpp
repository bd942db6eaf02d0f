#include "app/trayicon.h"

#include "app/appicon.h"

namespace kerulo {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    m_icon.setIcon(appIcon());
    m_icon.setToolTip(QStringLiteral("Kerulo"));
    // Context is the right-button press; left, middle and double clicks do nothing.
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Context)
            emit menuRequested();
    });
    m_icon.show();
}

TrayIcon::~TrayIcon() { m_icon.hide(); }

} // namespace kerulo
