#include "e2esession.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <grp.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace kerulo::e2e {

namespace {
const QString Script = QStringLiteral(KERULO_SOURCE_DIR "/scripts/virtual-desktop.sh");
}

VirtualDesktop::VirtualDesktop(const QStringList& options) {
    QTemporaryDir state(QStringLiteral(KERULO_TEST_TMP "/desktop-XXXXXX"));
    state.setAutoRemove(false);
    m_state = state.path();
    QProcess start;
    start.start(QStringLiteral("bash"), QStringList{Script, "start", m_state} + options);
    if (!start.waitForFinished(60000) || start.exitCode() != 0) {
        const std::string why = start.readAllStandardError().toStdString();
        QProcess::execute(QStringLiteral("bash"), {Script, "stop", m_state});
        throw std::runtime_error("the virtual desktop did not start: " + why);
    }
    m_display =
        QString::fromUtf8(start.readAllStandardOutput()).trimmed().section('\n', -1).toStdString();
    QFile bus(m_state + QStringLiteral("/bus"));
    if (bus.open(QIODevice::ReadOnly))
        m_bus = QString::fromUtf8(bus.readAll()).trimmed().toStdString();
}

namespace {
void runScript(const QStringList& arguments) {
    QProcess script;
    script.start(QStringLiteral("bash"), QStringList{Script} + arguments);
    if (!script.waitForFinished(60000) || script.exitCode() != 0)
        throw std::runtime_error("virtual-desktop.sh " + arguments.join(' ').toStdString() +
                                 " failed: " + script.readAllStandardError().toStdString());
}
} // namespace

void VirtualDesktop::switchCompositor(const QString& which) {
    runScript({QStringLiteral("compositor"), m_state, which});
}

void VirtualDesktop::endServer() {
    runScript({QStringLiteral("end-server"), m_state});
}

VirtualDesktop::~VirtualDesktop() {
    QProcess::execute(QStringLiteral("bash"), {Script, "stop", m_state});
}

KeruloProcess::KeruloProcess(const std::string& display, test::RunFolder& folder,
                             const std::string& bus)
    : KeruloProcess(display, folder, LaunchOptions{bus, {}, std::nullopt}) {}

KeruloProcess::KeruloProcess(const std::string& display, test::RunFolder& folder,
                             const LaunchOptions& options) {
    const std::string& bus = options.bus;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromStdString(display));
    env.insert("QT_QPA_PLATFORM", "xcb");
    // Without a bus the program can only embed its tray icon; with one, it registers a status
    // notifier item when the desktop offers a watcher. "disabled:" rather than no address:
    // without one, the bus library would start a bus of its own through the X display.
    env.insert("DBUS_SESSION_BUS_ADDRESS",
               bus.empty() ? QStringLiteral("disabled:") : QString::fromStdString(bus));
    const QString runtime = folder.file(QStringLiteral(".runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", runtime);
    if (options.environment)
        options.environment(env);
    m_process.setProcessEnvironment(env);
    if (options.user) {
        // Runs in the child between fork and exec: only calls that are safe there.
        const unsigned id = *options.user;
        m_process.setChildProcessModifier([id] {
            if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0)
                std::_Exit(127);
        });
    }
    m_process.setWorkingDirectory(folder.path());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral(KERULO_RUN_DIR "/kerulo"), {});
    if (!m_process.waitForStarted(10000))
        throw std::runtime_error("kerulo did not start");
}

KeruloProcess::~KeruloProcess() {
    if (running()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

int KeruloProcess::waitForExit(int timeoutMs) {
    if (!m_process.waitForFinished(timeoutMs) && running())
        return -1;
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString KeruloProcess::output() const {
    return QString::fromUtf8(const_cast<QProcess&>(m_process).readAll());
}

QString screenshotPath(const QString& name) {
    const QString dir = QStringLiteral(KERULO_TEST_TMP "/screenshots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

} // namespace kerulo::e2e
