#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

namespace kerulo {

/// The notification-area icon. Only a right-button press means anything: it asks for the
/// command menu. Without a notification area the icon is silently absent (and appears by
/// itself if one starts later); it is removed when this object goes.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

signals:
    void menuRequested();

private:
    void appear();

    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace kerulo
