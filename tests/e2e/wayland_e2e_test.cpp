// The program on a Wayland session: weston with its headless backend, running X11 clients
// through Xwayland. What can be seen from an X11 client of that Xwayland: the program starts,
// says once that it runs through XWayland, its windows exist, XTest motion moves the follow
// image, and the keys taken on the X server reach it.
#include "e2esession.h"
#include "keruloprobe.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include <signal.h>

namespace kerulo::e2e {
namespace {

/// weston on its headless backend with Xwayland, in a runtime folder of its own.
class HeadlessWeston {
public:
    HeadlessWeston() : m_runtime(QStringLiteral(KERULO_TEST_TMP "/weston-XXXXXX")) {
        QFile::setPermissions(m_runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Xwayland's listening sockets go into /tmp/.X11-unix, which only an X server that ran
        // before makes; weston gives up on Xwayland without it.
        if (!QDir(QStringLiteral("/tmp/.X11-unix")).exists())
            QProcess::execute(QStringLiteral("install"),
                              {"-d", "-m", "1777", QStringLiteral("/tmp/.X11-unix")});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        m_weston.setProcessEnvironment(env);
        m_weston.setProcessChannelMode(QProcess::MergedChannels);
        m_weston.start(QStringLiteral("weston"),
                       {"--backend=headless-backend.so", "--xwayland", "--no-config",
                        "--width=1920", "--height=1080", "--socket=" + socket()});
        // weston starts Xwayland on the first X11 client; it listens on the display at once.
        const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
        waitUntil(20000, [&] {
            m_weston.waitForReadyRead(100);
            m_log += QString::fromUtf8(m_weston.readAll());
            const auto match = listening.match(m_log);
            if (match.hasMatch())
                m_display = match.captured(1).toStdString();
            return !m_display.empty() || m_weston.state() == QProcess::NotRunning;
        });
    }
    ~HeadlessWeston() {
        m_weston.terminate();
        if (!m_weston.waitForFinished(5000))
            m_weston.kill();
        m_weston.waitForFinished(5000);
    }
    QString socket() const { return QStringLiteral("kerulo-test-wayland"); }
    QString runtime() const { return m_runtime.path(); }
    const std::string& xDisplay() const { return m_display; }
    const QString& log() const { return m_log; }

private:
    QTemporaryDir m_runtime;
    QProcess m_weston;
    QString m_log;
    std::string m_display;
};

class OnWayland : public ::testing::Test {
protected:
    void SetUp() override {
        m_weston = std::make_unique<HeadlessWeston>();
        ASSERT_FALSE(m_weston->xDisplay().empty()) << "weston did not start Xwayland:\n"
                                                   << m_weston->log().toStdString();
        m_x = std::make_unique<XDisplay>(m_weston->xDisplay());
        m_folder = std::make_unique<test::RunFolder>();
        LaunchOptions options;
        const QString socket = m_weston->socket();
        const QString runtime = m_weston->runtime();
        options.environment = [socket, runtime](QProcessEnvironment& env) {
            // As a Wayland session gives it: the toolkit picks its platform by itself.
            env.remove("QT_QPA_PLATFORM");
            env.insert("WAYLAND_DISPLAY", socket);
            env.insert("XDG_SESSION_TYPE", "wayland");
            env.insert("XDG_RUNTIME_DIR", runtime);
        };
        m_kerulo = std::make_unique<KeruloProcess>(m_weston->xDisplay(), *m_folder, options);
    }
    void TearDown() override {
        m_kerulo.reset();
        m_x.reset();
        m_weston.reset();
    }
    KeruloProbe probe() { return KeruloProbe(*m_x); }

    std::unique_ptr<HeadlessWeston> m_weston;
    std::unique_ptr<XDisplay> m_x;
    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
};

TEST_F(OnWayland, StartsOnXwaylandAndSaysSoOnce) {
    ASSERT_TRUE(waitUntil(15000, [this] { return probe().toolbar().has_value(); }));
    EXPECT_TRUE(waitUntil(3000, [this] { return probe().followImage().has_value(); }));
    EXPECT_TRUE(m_kerulo->running());
    // Its output is whole once it ended.
    ::kill(static_cast<pid_t>(m_kerulo->processId()), SIGTERM);
    m_kerulo->waitForExit(5000);
    const QStringList lines = m_kerulo->output().split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(QStringLiteral("Wayland")).size(), 1) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("README")).size(), 1) << lines.join('\n').toStdString();
}

TEST_F(OnWayland, XTestMotionMovesTheFollowImage) {
    ASSERT_TRUE(waitUntil(15000, [this] { return probe().followImage().has_value(); }));
    for (const QPoint pointer : {QPoint(800, 500), QPoint(300, 700)}) {
        m_x->movePointer(pointer.x(), pointer.y());
        const QRect expected(pointer - QPoint(65, 65), QSize(128, 128));
        EXPECT_TRUE(waitUntil(2000,
                              [&] {
                                  const auto follow = probe().followImage();
                                  return follow && follow->geometry == expected;
                              }))
            << "at " << pointer.x() << "," << pointer.y();
    }
}

TEST_F(OnWayland, KeysTakenOnXwaylandReachTheProgram) {
    ASSERT_TRUE(waitUntil(15000, [this] { return probe().followImage().has_value(); }));
    // F8 pressed through XTest, as in an X11 window that has the keyboard, hides the image;
    // again, shows it.
    m_x->tapKey("F8");
    EXPECT_TRUE(waitUntil(3000, [this] { return !probe().followImage().has_value(); }));
    m_x->tapKey("F8");
    EXPECT_TRUE(waitUntil(3000, [this] { return probe().followImage().has_value(); }));
    // Another X11 client cannot take the key the program holds.
    EXPECT_FALSE(m_x->grabKey("F8", 0));
}

TEST_F(OnWayland, PenTakesTheCompositorsWayAndThereIsNoTray) {
    ASSERT_TRUE(waitUntil(15000, [this] { return probe().followImage().has_value(); }));
    // weston's X11 window manager holds the compositor's selection on Xwayland, so the pen
    // puts up its blended veil there; nothing hosts a tray.
    EXPECT_NE(m_x->selectionOwner("_NET_WM_CM_S0"), 0u);
    EXPECT_EQ(m_x->selectionOwner("_NET_SYSTEM_TRAY_S0"), 0u);
    m_x->tapKey("Escape");
    EXPECT_TRUE(waitUntil(3000, [this] { return probe().mappedNamed("Form8", true).has_value(); }));
    m_x->tapKey("Escape");
    EXPECT_TRUE(waitUntil(3000, [this] { return !probe().penSurfaceUp(); }));
    EXPECT_TRUE(m_kerulo->running());
}

} // namespace
} // namespace kerulo::e2e
