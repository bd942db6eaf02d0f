// The tray icon on a desktop whose panel hosts status notifier items: Xvfb with xfwm4 and its
// compositor, xfce4-panel with a notification area, and a session bus of their own. The icon
// is drawn by the panel from what the program exports over the bus, so it is found by its
// pixels and its item read over the bus; input is real (XTest).
#include "desktoptest.h"
#include "traybus.h"

#include <QDBusObjectPath>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace kerulo::e2e {
namespace {

const QStringList Captions = {"关        闭", "设        置", "鼠标跟随",
                              "鼠标光环",     "电  子  笔",   "软件帮助"};

// The panel runs along the top of the screen.
const QRect PanelStrip(0, 0, 1920, 40);
// Away from the panel and the toolbar, so the follow image covers neither.
const QPoint RestingPointer(900, 700);

// The icon's halo is an amber no panel colour comes near.
bool isHalo(QRgb c) {
    return qRed(c) > 180 && qGreen(c) > 120 && qRed(c) - qBlue(c) > 100;
}

class TrayOnXfce : public DesktopTest<Desktop::Xfce> {
protected:
    static void SetUpTestSuite() {
        DesktopTest::SetUpTestSuite();
        s_bus = new TrayBus(bus());
    }
    static void TearDownTestSuite() {
        delete s_bus;
        s_bus = nullptr;
        DesktopTest::TearDownTestSuite();
    }

    void SetUp() override {
        x().movePointer(RestingPointer.x(), RestingPointer.y());
        ASSERT_FALSE(iconInPanel()) << "the panel starts without the icon";
        m_folder = std::make_unique<test::RunFolder>();
        m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder, bus());
        ASSERT_TRUE(waitUntil(10000, [] { return probe().toolbar().has_value(); }))
            << m_kerulo->output().toStdString();
        ASSERT_TRUE(waitUntil(5000, [this] {
            m_item = ourItem();
            return m_item.has_value();
        })) << "the program registers its item with the panel's watcher";
        ASSERT_TRUE(waitUntil(5000, [this] {
            m_icon = iconInPanel();
            return m_icon.has_value();
        })) << "the icon is drawn in the panel";
    }
    void TearDown() override {
        m_kerulo.reset();
        waitUntil(5000, [] {
            return x().mappedWindowsOfClass(KeruloProbe::Class).empty() && !ourItem() &&
                   !iconInPanel();
        });
        // A menu left open would take the next test's clicks.
        if (!probe().menusOnScreen().empty()) {
            x().tapKey("Escape");
            waitUntil(2000, [] { return probe().menusOnScreen().empty(); });
        }
    }

    static TrayBus& trayBus() { return *s_bus; }

    static std::optional<StatusItem> ourItem() {
        for (const StatusItem& item : s_bus->registeredItems())
            if (s_bus->property(item, "Id").toString() == "kerulo")
                return item;
        return std::nullopt;
    }

    // Where the panel draws the icon: the box around its halo's pixels.
    static std::optional<QRect> iconInPanel() {
        const QImage strip = x().grab(PanelStrip);
        QRect box;
        for (int row = 0; row < strip.height(); ++row)
            for (int column = 0; column < strip.width(); ++column)
                if (isHalo(strip.pixel(column, row)))
                    box |= QRect(column, row, 1, 1);
        if (box.width() < 6 || box.height() < 6)
            return std::nullopt;
        return box;
    }

    // Moves the pointer away again, so the follow image leaves the panel alone.
    void clickIcon(int button) {
        probe().clickAt(m_icon->center(), button);
        x().movePointer(RestingPointer.x(), RestingPointer.y());
    }

    // The pop-up menus on screen, once nothing else is on its way: a second menu, if any,
    // comes well within this wait.
    static std::vector<XWindowInfo> menusSettled() {
        waitUntil(2000, [] { return !probe().menusOnScreen().empty(); });
        QThread::msleep(600);
        return probe().menusOnScreen();
    }

    // The program's managed windows on screen (dialogs, help), by name.
    static QStringList managedWindows() {
        QStringList names;
        for (const XWindowInfo& w : x().mappedWindowsOfClass(KeruloProbe::Class))
            if (!w.overrideRedirect)
                names << w.name;
        return names;
    }

    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
    std::optional<StatusItem> m_item;
    std::optional<QRect> m_icon;

private:
    static inline TrayBus* s_bus = nullptr;
};

TEST_F(TrayOnXfce, TheItemSaysWhatItIsAndExportsItsMenu) {
    x().grab(PanelStrip.adjusted(0, 0, -1600, 0)).save(screenshotPath("tray-sni-panel"));
    const std::pair<const char*, QVariant> properties[] = {
        {"Id", QStringLiteral("kerulo")},
        {"Title", QStringLiteral("kerulo")},
        {"Status", QStringLiteral("Active")},
        {"ItemIsMenu", false},
    };
    for (const auto& [name, expected] : properties)
        EXPECT_EQ(trayBus().property(*m_item, name), expected) << name;
    EXPECT_EQ(trayBus().toolTipTitle(*m_item), "Kerulo");

    const QVariant menuPath = trayBus().property(*m_item, "Menu");
    ASSERT_TRUE(menuPath.canConvert<QDBusObjectPath>());
    EXPECT_NE(menuPath.value<QDBusObjectPath>().path(), "/NO_DBUSMENU");

    // The pictures the panel may pick from are drawn at these sizes, not scaled by the panel.
    const std::vector<QSize> sizes = trayBus().iconSizes(*m_item);
    for (int size : {16, 22, 24, 32, 48, 64})
        EXPECT_NE(std::find(sizes.begin(), sizes.end(), QSize(size, size)), sizes.end()) << size;
}

TEST_F(TrayOnXfce, TheExportedMenuHoldsTheSixCommandsInOrder) {
    QStringList labels;
    for (const MenuEntry& entry : trayBus().menu(*m_item)) {
        EXPECT_TRUE(entry.visible && entry.enabled && !entry.separator) << entry.id;
        labels << entry.label;
    }
    EXPECT_EQ(labels, Captions);
}

TEST_F(TrayOnXfce, ARightClickShowsOneMenuWhoseCloseItemEndsTheProgramAndRemovesTheIcon) {
    clickIcon(3);
    const std::vector<XWindowInfo> menus = menusSettled();
    ASSERT_EQ(menus.size(), 1u) << "one menu, the panel's";
    EXPECT_FALSE(probe().popupMenu()) << "the program opens no menu of its own";
    const QRect menu = menus.front().geometry;
    EXPECT_GE(menu.height(), 6 * 16) << "six entries";
    // The panel and the menu below it; the menu's window reaches past the screen's edge.
    x().grab(menu.united(PanelStrip.adjusted(0, 0, -1600, 0))
                 .intersected(QRect(QPoint(0, 0), x().screenSize())))
        .save(screenshotPath("tray-sni-menu"));

    // The first entry is the close command.
    probe().clickAt({menu.center().x(), menu.top() + menu.height() / 12});
    EXPECT_EQ(m_kerulo->waitForExit(5000), 0);
    EXPECT_TRUE(waitUntil(3000, [] { return !ourItem(); })) << "the item leaves the watcher";
    EXPECT_TRUE(waitUntil(3000, [] { return !iconInPanel(); })) << "the icon leaves the panel";
    EXPECT_TRUE(probe().menusOnScreen().empty());
}

struct ClickCase {
    const char* name;
    std::vector<int> buttons; // clicked one after the other
};

class TrayClicksOnXfce : public TrayOnXfce, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(TrayClicksOnXfce, OpenNothing) {
    const QStringList before = managedWindows();
    for (int button : GetParam().buttons)
        probe().clickAt(m_icon->center(), button);
    x().movePointer(RestingPointer.x(), RestingPointer.y());
    QThread::msleep(800);
    EXPECT_TRUE(probe().menusOnScreen().empty());
    EXPECT_EQ(managedWindows(), before) << "no dialog or help window opens";
    EXPECT_TRUE(m_kerulo->running());
    EXPECT_TRUE(iconInPanel());
}

INSTANTIATE_TEST_SUITE_P(Clicks, TrayClicksOnXfce,
                         ::testing::Values(ClickCase{"Left", {1}}, ClickCase{"Middle", {2}},
                                           ClickCase{"DoubleLeft", {1, 1}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The toolbar's menu is the icon's too; handing it to the tray does not keep the toolbar's own
// right click from opening it, once.
TEST_F(TrayOnXfce, TheToolbarsRightClickStillOpensTheMenuOnce) {
    x().movePointer(1919, 600);
    ASSERT_TRUE(waitUntil(1000, [] { return probe().toolbar()->geometry.x() == 1855; }));
    x().movePointer(1887, 540 + 84);
    x().click(3);
    const std::vector<XWindowInfo> menus = menusSettled();
    ASSERT_EQ(menus.size(), 1u);
    ASSERT_TRUE(probe().popupMenu().has_value());
    EXPECT_EQ(menus.front().id, probe().popupMenu()->id);
    x().grab(QRect(1600, 520, 320, 300)).save(screenshotPath("tray-sni-toolbar-menu"));
    x().tapKey("Escape");
    EXPECT_TRUE(waitUntil(2000, [] { return probe().menusOnScreen().empty(); }));
}

} // namespace
} // namespace kerulo::e2e
