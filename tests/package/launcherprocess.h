#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace kerulo::test {

/// The launcher bin/kerulo started as a desktop's menu starts it: from the user's home folder,
/// with an environment of the user's own and nothing of the test's. The launcher replaces
/// itself with the program, so while it runs this process is the program.
class LauncherProcess {
public:
    LauncherProcess(const QString& launcher, const QProcessEnvironment& environment);
    ~LauncherProcess();
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;

    /// A user's environment: HOME, the display and, when not empty, XDG_RUNTIME_DIR, besides
    /// PATH and a UTF-8 locale.
    static QProcessEnvironment userEnvironment(const QString& home, const QString& display,
                                               const QString& runtimeDir);

    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    /// Waits for the end; gives the exit code, or -1 when it did not end in time or died by
    /// a signal.
    int waitForExit(int timeoutMs);
    /// Ends the program the way a desktop session ends it (SIGTERM) and waits for that.
    void terminate();
    /// Kills the program as a crash would, without a chance to clean up (SIGKILL).
    void crash();
    /// Everything written on standard error so far.
    QString standardError();

private:
    QProcess m_process;
    QString m_error;
};

} // namespace kerulo::test
