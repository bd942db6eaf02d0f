#include "package/launcherprocess.h"

#include <stdexcept>

#include <signal.h>

namespace kerulo::test {

LauncherProcess::LauncherProcess(const QString& launcher, const QProcessEnvironment& environment) {
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(environment.value(QStringLiteral("HOME")));
    // Only standard error is looked at; the rest must not fill a pipe nobody reads.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(launcher, {});
    if (!m_process.waitForStarted(10000))
        throw std::runtime_error("the launcher did not start: " +
                                 m_process.errorString().toStdString());
}

LauncherProcess::~LauncherProcess() {
    if (running()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QProcessEnvironment LauncherProcess::userEnvironment(const QString& home, const QString& display,
                                                     const QString& runtimeDir) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("DISPLAY"), display);
    if (!runtimeDir.isEmpty())
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    return env;
}

int LauncherProcess::waitForExit(int timeoutMs) {
    if (!m_process.waitForFinished(timeoutMs) && running())
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void LauncherProcess::terminate() {
    if (!running())
        return;
    ::kill(static_cast<pid_t>(pid()), SIGTERM);
    if (!m_process.waitForFinished(10000))
        throw std::runtime_error("the program did not end on SIGTERM");
}

void LauncherProcess::crash() {
    if (!running())
        return;
    ::kill(static_cast<pid_t>(pid()), SIGKILL);
    m_process.waitForFinished(10000);
}

QString LauncherProcess::standardError() {
    m_error += QString::fromUtf8(m_process.readAllStandardError());
    return m_error;
}

} // namespace kerulo::test
