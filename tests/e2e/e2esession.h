#pragma once

#include "support/runfolder.h"
#include "xdisplay.h"

#include <QProcess>
#include <QStringList>

#include <memory>
#include <string>

namespace kerulo::e2e {

/// A virtual desktop of its own: Xvfb 1920x1080 with openbox, a tray host unless asked not
/// to, and a compositor on request.
class VirtualDesktop {
public:
    explicit VirtualDesktop(const QStringList& options = {});
    ~VirtualDesktop();
    const std::string& display() const { return m_display; }

private:
    QString m_state;
    std::string m_display;
};

/// The built program, started from a private copy of its run folder on a given display.
class KeruloProcess {
public:
    KeruloProcess(const std::string& display, test::RunFolder& folder);
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
