// The program's shell on a real desktop: the built binary under Xvfb with openbox and a tray
// host, driven by XTest input and observed from outside.
#include "desktoptest.h"
#include "store/sqlitedatabase.h"

#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>

namespace kerulo::e2e {
namespace {

const QString Class = KeruloProbe::Class;

class ShellOnDesktop : public DesktopTest<> {
protected:
    void SetUp() override {
        x().movePointer(100, 100);
        m_folder = std::make_unique<test::RunFolder>();
        m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder);
        ASSERT_TRUE(waitUntil(10000, [this] { return toolbar().has_value(); }))
            << "the toolbar never appeared\n"
            << m_kerulo->output().toStdString();
    }
    void TearDown() override {
        m_kerulo.reset();
        waitUntil(5000, [] { return x().mappedWindowsOfClass(Class).empty(); });
    }

    static std::optional<XWindowInfo> mappedNamed(const QString& name) {
        return probe().mappedNamed(name, false);
    }
    static std::optional<XWindowInfo> toolbar() { return probe().toolbar(); }
    static std::optional<XWindowInfo> trayIcon() { return probe().trayIcon(); }
    static std::optional<XWindowInfo> popupMenu() { return probe().popupMenu(); }
    static void clickAt(QPoint p, int button = 1) { probe().clickAt(p, button); }

    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
};

TEST_F(ShellOnDesktop, StartsWithTheToolbarAsAStripAtTheRightEdgeAndTheDialogClosed) {
    ASSERT_TRUE(waitUntil(2000, [] { return toolbar()->geometry.x() == 1915; }));
    EXPECT_EQ(toolbar()->geometry, QRect(1915, 540, 65, 198));
    EXPECT_TRUE(toolbar()->overrideRedirect);
    for (const auto& [window, caption] :
         {std::pair{toolbar(), QStringLiteral("Kerulo")},
          std::pair{probe().followImage(), QStringLiteral("跟随2")}}) {
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(x().wmName(window->id), caption);
        EXPECT_EQ(x().textProperty(window->id, "_NET_WM_NAME"), caption);
    }
    EXPECT_FALSE(mappedNamed(QStringLiteral("综合设置"))) << "the settings dialog stays closed";
    EXPECT_TRUE(waitUntil(3000, [] { return trayIcon().has_value(); }));
    QThread::msleep(300);
    x().grabScreen().save(screenshotPath("shell-startup"));
}

TEST_F(ShellOnDesktop, ToolbarComesOutWhenThePointerReachesItsPlaceAndGoesBackAfter) {
    x().movePointer(1919, 600);
    ASSERT_TRUE(waitUntil(500, [] { return toolbar()->geometry.x() == 1855; }));
    QThread::msleep(100);
    x().grab(QRect(1720, 520, 200, 240)).save(screenshotPath("shell-toolbar-out"));

    // Along the top line the toolbar keeps its place, out or in.
    x().movePointer(1919, 540);
    QThread::msleep(300);
    EXPECT_EQ(toolbar()->geometry.x(), 1855);

    x().movePointer(1919, 500);
    EXPECT_TRUE(waitUntil(500, [] { return toolbar()->geometry.x() == 1915; }));
    x().movePointer(1919, 540);
    QThread::msleep(300);
    EXPECT_EQ(toolbar()->geometry.x(), 1915);

    for (int y : {700, 737}) {
        x().movePointer(1900, y);
        EXPECT_TRUE(waitUntil(500, [] { return toolbar()->geometry.x() == 1855; })) << y;
        x().movePointer(1700, y);
        EXPECT_TRUE(waitUntil(500, [] { return toolbar()->geometry.x() == 1915; })) << y;
    }
}

TEST_F(ShellOnDesktop, NoWindowOfTheProgramIsInTheTaskList) {
    x().movePointer(1919, 600);
    ASSERT_TRUE(waitUntil(500, [] { return toolbar()->geometry.x() == 1855; }));
    clickAt({1887, 540 + 40 + 12});  // settings
    clickAt({1887, 540 + 168 + 12}); // help
    ASSERT_TRUE(waitUntil(3000, [] {
        return mappedNamed(QStringLiteral("综合设置")) && mappedNamed(QStringLiteral("光标特效"));
    }));
    QThread::msleep(300);
    int managed = 0;
    for (unsigned long id : x().clientList()) {
        const auto w = x().info(id);
        if (!w || w->className != Class)
            continue;
        ++managed;
        const auto state = x().netWmState(id);
        EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_SKIP_TASKBAR"), state.end())
            << w->name.toStdString();
    }
    EXPECT_GE(managed, 2) << "the dialog and the help window are managed windows";
}

TEST_F(ShellOnDesktop, TrayIconOpensTheMenuOnARightPressOnlyAndItsCloseItemEndsTheProgram) {
    ASSERT_TRUE(waitUntil(3000, [] { return trayIcon().has_value(); }));
    const QPoint icon = trayIcon()->geometry.center();

    clickAt(icon, 1);
    clickAt(icon, 2);
    QThread::msleep(400);
    EXPECT_FALSE(popupMenu()) << "left and middle clicks do nothing";
    EXPECT_TRUE(probe().menusOnScreen().empty());

    x().movePointer(icon.x(), icon.y());
    x().pressButton(3);
    ASSERT_TRUE(waitUntil(2000, [] { return popupMenu().has_value(); }));
    x().releaseButton(3);
    QThread::msleep(600);
    // The toolkit opens the menu on the press; the program adds none of its own.
    EXPECT_EQ(probe().menusOnScreen().size(), 1u) << "one menu per press";
    const XWindowInfo menu = *popupMenu();
    EXPECT_TRUE(menu.geometry.contains(icon) || menu.geometry.topLeft() == icon ||
                (menu.geometry.topLeft() - icon).manhattanLength() < 40)
        << "the menu opens at the pointer";
    x().grab(QRect(0, 0, 400, 300)).save(screenshotPath("shell-tray-menu"));

    // The first item is the close command.
    clickAt(menu.geometry.topLeft() + QPoint(40, 12));
    EXPECT_EQ(m_kerulo->waitForExit(5000), 0);
    EXPECT_TRUE(waitUntil(2000, [] { return !trayIcon().has_value(); })) << "the icon is removed";
}

TEST_F(ShellOnDesktop, HelpOpensOnceInFrontWithItsChineseText) {
    probe().clickToolbarPanel(Panel::Help);
    probe().clickToolbarPanel(Panel::Help);
    ASSERT_TRUE(
        waitUntil(3000, [] { return mappedNamed(QStringLiteral("光标特效")).has_value(); }));
    QThread::msleep(500);
    int helpWindows = 0;
    for (const XWindowInfo& w : x().mappedWindowsOfClass(Class))
        helpWindows += w.name == "光标特效";
    EXPECT_EQ(helpWindows, 1);
    const QRect help = mappedNamed(QStringLiteral("光标特效"))->geometry;
    EXPECT_EQ(help.size(), QSize(608, 442));
    x().grab(help.adjusted(-10, -30, 10, 10)).save(screenshotPath("shell-help"));
}

TEST_F(ShellOnDesktop, RightClickOnTheToolbarOpensTheSameMenu) {
    x().movePointer(1919, 600);
    ASSERT_TRUE(waitUntil(500, [] { return toolbar()->geometry.x() == 1855; }));
    // Between two panels as well as on one.
    for (QPoint p : {QPoint(1887, 540 + 36), QPoint(1887, 540 + 84)}) {
        x().movePointer(p.x(), p.y());
        x().click(3);
        ASSERT_TRUE(waitUntil(2000, [] { return popupMenu().has_value(); })) << p.y();
        QThread::msleep(200);
        x().grab(QRect(1600, 520, 320, 300)).save(screenshotPath("shell-toolbar-menu"));
        x().tapKey("Escape");
        ASSERT_TRUE(waitUntil(2000, [] { return !popupMenu().has_value(); }));
    }
}

} // namespace
} // namespace kerulo::e2e

namespace kerulo::e2e {
namespace {

class ShellErrorsOnDesktop : public DesktopTest<> {
protected:
    QString clipboard() const {
        QProcess xclip;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", QString::fromStdString(display()));
        xclip.setProcessEnvironment(env);
        xclip.start("xclip", {"-o", "-selection", "clipboard"});
        xclip.waitForFinished(5000);
        return QString::fromUtf8(xclip.readAllStandardOutput());
    }
};

TEST_F(ShellErrorsOnDesktop, AStartUpErrorIsShownCopyableAndTheProgramGoesOnWithoutTrayIcon) {
    x().movePointer(100, 100);
    test::RunFolder folder;
    SqliteDatabase(folder.file("GBTest.db").toStdString()).execute("Drop table GBgs");
    KeruloProcess kerulo(display(), folder);

    ASSERT_TRUE(waitUntil(10000, [] { return probe().messageBox().has_value(); }))
        << kerulo.output().toStdString();
    QThread::msleep(300);
    const QRect box = probe().messageBox()->geometry;
    const auto state = x().netWmState(probe().messageBox()->id);
    EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_SKIP_TASKBAR"), state.end())
        << "the box stays off the task bar";
    x().grab(box.adjusted(-10, -30, 10, 10)).save(screenshotPath("shell-error-box"));

    x().key("Control_L", true);
    x().tapKey("c");
    x().key("Control_L", false);
    QString copied;
    ASSERT_TRUE(waitUntil(3000, [&] {
        copied = clipboard();
        return !copied.isEmpty();
    }));
    EXPECT_TRUE(copied.startsWith("---------------------------\nKerulo\n")) << copied.toStdString();
    EXPECT_TRUE(copied.contains("Error executing SQL.")) << copied.toStdString();
    EXPECT_TRUE(copied.contains("\"Select * from GBgs\": no such table: GBgs"))
        << copied.toStdString();

    // The settings dialog reads the same table as it is created and reports it in a box of
    // its own.
    const unsigned long first = probe().messageBox()->id;
    x().tapKey("Return");
    ASSERT_TRUE(waitUntil(5000, [first] {
        return probe().messageBox().has_value() && probe().messageBox()->id != first;
    }));
    QThread::msleep(300);
    x().tapKey("Return");
    ASSERT_TRUE(waitUntil(5000, [] { return probe().toolbar().has_value(); }))
        << "start-up goes on once the boxes are closed";
    EXPECT_FALSE(probe().messageBox());
    QThread::msleep(1500);
    EXPECT_FALSE(probe().trayIcon()) << "the follow image's creation stopped before the icon";
    EXPECT_TRUE(kerulo.running());
}

} // namespace
} // namespace kerulo::e2e

namespace kerulo::e2e {
namespace {

// No tray of either kind: no host to embed the icon and no bus, or a bus without a watcher of
// status notifier items.
template <typename DesktopSuite> class ShellWithoutTrayHost : public DesktopSuite {};

using DesktopsWithoutTray =
    ::testing::Types<DesktopTest<Desktop::WithoutTray>, DesktopTest<Desktop::XfceWithoutPanel>>;
struct DesktopName {
    template <typename T> static std::string GetName(int) {
        return std::is_same_v<T, DesktopTest<Desktop::WithoutTray>> ? "Openbox"
                                                                    : "XfceWithoutPanel";
    }
};
TYPED_TEST_SUITE(ShellWithoutTrayHost, DesktopsWithoutTray, DesktopName);

TYPED_TEST(ShellWithoutTrayHost, RunsWithoutAnIconAndSaysNothing) {
    this->x().movePointer(100, 100);
    test::RunFolder folder;
    KeruloProcess kerulo(this->display(), folder, this->bus());
    ASSERT_TRUE(waitUntil(10000, [this] { return this->probe().toolbar().has_value(); }));
    QThread::msleep(1500);
    EXPECT_FALSE(this->probe().messageBox()) << "no error is reported";
    EXPECT_EQ(kerulo.output().toStdString(), "") << "nor written";
    EXPECT_TRUE(this->probe().followImage().has_value());
    EXPECT_TRUE(kerulo.running());
    // The toolbar's close command ends the program as usual.
    this->probe().clickToolbarPanel(Panel::Close);
    EXPECT_EQ(kerulo.waitForExit(5000), 0);
}

} // namespace
} // namespace kerulo::e2e
