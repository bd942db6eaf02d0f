#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QMenu;

namespace kerulo {

/// The notification-area icon, with the command menu as its context menu: a tray that embeds
/// the icon (XEmbed) shows it on the right-button press, a tray that hosts status notifier
/// items shows it from the menu the icon exports over the message bus. No click does anything
/// else. Without a notification area the icon is silently absent (and appears by itself if an
/// embedding tray starts later); it is removed when this object goes.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    /// The menu is asked for when the icon is made, once the event loop runs.
    explicit TrayIcon(std::function<QMenu*()> menu, QObject* parent = nullptr);
    ~TrayIcon() override;

    /// The icon once it has been made, or null before the event loop has run.
    QSystemTrayIcon* icon() const { return m_icon.get(); }

private:
    void appear();

    std::function<QMenu*()> m_menuSource;
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace kerulo
