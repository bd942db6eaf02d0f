// The package as a user meets it: unpacked into a root of its own and started through its
// launcher with a fresh home folder, on a virtual desktop with openbox and a tray host. The
// user's folder, the program's windows, a setting that outlives restarts and a fresh unpack of
// the package, and a second start that starts nothing.
#include "e2e/desktoptest.h"
#include "package/commandresult.h"
#include "package/launcherprocess.h"
#include "package/unpackedpackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kerulo::e2e {
namespace {

using test::CommandResult;
using test::LauncherProcess;
using test::runCommand;
using test::UnpackedPackage;

const QStringList ShippedFiles = {"GBTest.db", "pic/arrow.png", "pic/hand.png", "pic/ring.png"};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class PackageOnDesktop : public DesktopTest<> {
protected:
    static void SetUpTestSuite() {
        DesktopTest<>::SetUpTestSuite();
        s_package = new UnpackedPackage;
    }
    static void TearDownTestSuite() {
        delete s_package;
        s_package = nullptr;
        DesktopTest<>::TearDownTestSuite();
    }

    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        x().movePointer(100, 100);
    }
    void TearDown() override {
        m_launchers.clear();
        waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); });
    }

    static QString program() {
        return QFileInfo(s_package->file("/usr/lib/kerulo/kerulo")).canonicalFilePath();
    }
    QString userFolder() const {
        return QFileInfo(m_home.path()).canonicalFilePath() + "/.local/share/kerulo";
    }

    LauncherProcess& launch() {
        const QString runtime = m_home.path() + "/.runtime";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_launchers.push_back(std::make_unique<LauncherProcess>(
            s_package->file("/usr/bin/kerulo"),
            LauncherProcess::userEnvironment(m_home.path(), QString::fromStdString(display()),
                                             runtime)));
        return *m_launchers.back();
    }
    /// Launches and waits for the toolbar and the follow image.
    LauncherProcess& launchProgram() {
        LauncherProcess& l = launch();
        EXPECT_TRUE(waitUntil(10000, [] { return probe().toolbar().has_value(); }))
            << "the toolbar never appeared\n"
            << l.standardError().toStdString();
        EXPECT_TRUE(waitUntil(3000, [] { return probe().followImage().has_value(); }))
            << l.standardError().toStdString();
        return l;
    }
    static void waitForNoWindows() {
        ASSERT_TRUE(
            waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); }));
    }

    /// The processes running the unpacked program, and the folder each runs in.
    static std::vector<std::pair<qint64, QString>> programProcesses() {
        std::vector<std::pair<qint64, QString>> found;
        for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
            bool numeric = false;
            const qint64 id = pid.toLongLong(&numeric);
            if (numeric && QFileInfo("/proc/" + pid + "/exe").symLinkTarget() == program())
                found.emplace_back(id, QFileInfo("/proc/" + pid + "/cwd").symLinkTarget());
        }
        return found;
    }

    static QString followOffset(const QString& db) {
        const CommandResult r =
            runCommand("sqlite3", {"-bail", db, "SELECT SHu FROM GBgs WHERE GBgsID = 1"});
        return r.exitCode == 0 ? r.out.trimmed() : "error: " + r.err;
    }
    /// Whether the follow image stands where the given pointer position puts it.
    static bool followImageAt(const QPoint& pointer, int offset) {
        return waitUntil(2000, [&] {
            const auto image = probe().followImage();
            return image && image->geometry.topLeft() == pointer - QPoint(offset, offset);
        });
    }

    static inline UnpackedPackage* s_package = nullptr;
    QTemporaryDir m_home{QStringLiteral(KERULO_TEST_TMP "/home-XXXXXX")};
    std::vector<std::unique_ptr<LauncherProcess>> m_launchers;
};

TEST_F(PackageOnDesktop, FirstStartFillsTheUsersFolderAndBringsUpTheToolbarAndFollowImage) {
    ASSERT_FALSE(QFileInfo::exists(userFolder()));
    LauncherProcess& kerulo = launchProgram();
    for (const QString& name : ShippedFiles)
        EXPECT_EQ(readFile(userFolder() + "/" + name),
                  readFile(s_package->file("/usr/share/kerulo/" + name)))
            << name.toStdString();
    const auto running = programProcesses();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0].first, kerulo.pid()) << "the launcher became the program";
    EXPECT_EQ(running[0].second, userFolder());
    EXPECT_TRUE(waitUntil(3000, [] { return probe().trayIcon().has_value(); }));
    QThread::msleep(300);
    x().grabScreen().save(screenshotPath("package-first-start"));
}

TEST_F(PackageOnDesktop, SecondLaunchWhileTheFirstRunsStartsNoSecondProgram) {
    LauncherProcess& first = launchProgram();
    LauncherProcess& second = launch();
    EXPECT_EQ(second.waitForExit(10000), 0);
    EXPECT_TRUE(second.standardError().contains("already runs"))
        << second.standardError().toStdString();
    EXPECT_EQ(programProcesses().size(), 1u);
    EXPECT_TRUE(first.running());
    int toolbars = 0;
    for (const XWindowInfo& w : x().mappedWindowsOfClass(KeruloProbe::Class))
        toolbars += w.name == "Kerulo" && w.overrideRedirect;
    EXPECT_EQ(toolbars, 1);
}

TEST_F(PackageOnDesktop, ASettingOutlivesASecondStartAndAFreshUnpackOfThePackage) {
    const QString db = userFolder() + "/GBTest.db";
    const QPoint pointer(800, 500);
    launchProgram().terminate();
    waitForNoWindows();
    ASSERT_NE(followOffset(db), "20") << "the change below must be one";
    const CommandResult update =
        runCommand("sqlite3", {"-bail", db, "UPDATE GBgs SET SHu = 20 WHERE GBgsID = 1"});
    ASSERT_EQ(update.exitCode, 0) << update.err.toStdString();

    launchProgram();
    x().movePointer(pointer.x(), pointer.y());
    EXPECT_TRUE(followImageAt(pointer, 20)) << "the program reads the user's own settings";
    m_launchers.back()->terminate();
    waitForNoWindows();

    s_package->unpackAgain();
    QFile::remove(userFolder() + "/pic/arrow.png");
    x().movePointer(100, 100);
    launchProgram();
    x().movePointer(pointer.x(), pointer.y());
    EXPECT_TRUE(followImageAt(pointer, 20));
    EXPECT_EQ(followOffset(db), "20");
    EXPECT_EQ(readFile(userFolder() + "/pic/arrow.png"),
              readFile(s_package->file("/usr/share/kerulo/pic/arrow.png")))
        << "a missing picture comes back";
}

} // namespace
} // namespace kerulo::e2e
