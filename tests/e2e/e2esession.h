#pragma once

#include "support/runfolder.h"
#include "xdisplay.h"

#include <QProcess>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

namespace kerulo::e2e {

/// A virtual desktop of its own, Xvfb 1920x1080: openbox, a tray host that embeds icons
/// unless asked not to, and a compositor on request; or, with "--desktop xfce", a session
/// message bus, xfwm4 with its compositor and xfce4-panel with a notification area.
class VirtualDesktop {
public:
    explicit VirtualDesktop(const QStringList& options = {});
    ~VirtualDesktop();
    const std::string& display() const { return m_display; }
    /// The address of the desktop's session message bus; empty when it has none.
    const std::string& bus() const { return m_bus; }

    /// Starts a compositor ("xcompmgr" or "picom") on the running openbox desktop, or with
    /// "none" stops the one that runs; returns once the desktop has it, or no longer has it.
    void switchCompositor(const QString& which);
    /// Ends the X server under its clients, as when it crashes or is shut down; the rest of the
    /// desktop goes with it. Connections to the display must not be used afterwards.
    void endServer();

private:
    QString m_state;
    std::string m_display;
    std::string m_bus;
};

/// How the program is started beyond its display and run folder.
struct LaunchOptions {
    /// The session message bus to connect to; empty for none.
    std::string bus;
    /// Changes to the environment the program gets, after the usual ones.
    std::function<void(QProcessEnvironment&)> environment;
    /// A user (and group of the same number) to run as instead of the tests' own, for tests that
    /// run as root and need file permissions to apply to the program.
    std::optional<unsigned> user;
};

/// The built program, started from a private copy of its run folder on a given display,
/// connected to the given session message bus or to none.
class KeruloProcess {
public:
    KeruloProcess(const std::string& display, test::RunFolder& folder, const std::string& bus = {});
    KeruloProcess(const std::string& display, test::RunFolder& folder,
                  const LaunchOptions& options);
    ~KeruloProcess();

    bool running() const { return m_process.state() != QProcess::NotRunning; }
    qint64 processId() const { return m_process.processId(); }
    /// Waits for the program to end; gives its exit code, or -1 when it did not end in time
    /// or crashed.
    int waitForExit(int timeoutMs);
    QString output() const;

private:
    QProcess m_process;
};

/// Where screenshots of the end-to-end tests go, for people to look at.
QString screenshotPath(const QString& name);

} // namespace kerulo::e2e
