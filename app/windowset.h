#pragma once

#include "platform/platform.h"
#include "ui/windows.h"

#include <QStringList>

#include <memory>

namespace kerulo {

class EdgeToolbar;
class TrayIcon;

/// The seven windows, created once in a fixed order and destroyed together, last created
/// first, and the tray icon. Windows reach each other only through it.
class WindowSet : public Windows {
public:
    explicit WindowSet(Platform platform);
    ~WindowSet() override;
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    /// The start of the message loop: shows the main window.
    void showMainWindow();

    EdgeToolbar& edgeToolbar() { return *m_toolbar; }

    KeruloWindow& toolbar() override;
    FollowImageWindow& followImage() override { return *m_followImage; }
    HaloWindow& halo() override { return *m_halo; }
    SettingsDialog& settings() override { return *m_settings; }
    HelpWindow& help() override { return *m_help; }
    PenSurface& penSurface() override { return *m_penSurface; }
    PenToolbox& penToolbox() override { return *m_penToolbox; }

    void addTrayIcon() override;
    bool hasTrayIcon() const override { return m_trayIcon != nullptr; }
    /// The tray icon, or null when the follow image's set-up did not get as far as adding it.
    TrayIcon* trayIcon() const { return m_trayIcon.get(); }
    void keyNotTaken(const QString& keyName, const QString& why) override;
    void closeProgram() override;
    const Platform& platform() const override { return m_platform; }

private:
    template <typename Window> void create(std::unique_ptr<Window>& slot);

    Platform m_platform;
    QStringList m_keysNotTaken;
    // Goes after every window: the follow image, created first and so destroyed last, adds it.
    std::unique_ptr<TrayIcon> m_trayIcon;
    // Declared in creation order, so that they are destroyed in reverse.
    std::unique_ptr<FollowImageWindow> m_followImage; // the main window
    std::unique_ptr<EdgeToolbar> m_toolbar;
    std::unique_ptr<HaloWindow> m_halo;
    std::unique_ptr<SettingsDialog> m_settings;
    std::unique_ptr<HelpWindow> m_help;
    std::unique_ptr<PenSurface> m_penSurface;
    std::unique_ptr<PenToolbox> m_penToolbox;
};

} // namespace kerulo
