#include "app/edgerule.h"
#include "app/edgetoolbar.h"
#include "effects/followimagewindow.h"
#include "effects/halowindow.h"
#include "help/helpwindow.h"
#include "pen/pensurface.h"
#include "pen/pentoolbox.h"
#include "settings/settingsdialog.h"
#include "support/windowsetfixture.h"
#include "ui/clickpanel.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace kerulo {
namespace {

using test::WindowSetFixture;

// Which windows are visible, as a string of the digits of their stored names: "124" means
// Form1 (toolbar), Form2 (follow image) and Form4 (settings).
QString visibleWindows(WindowSet& f) {
    QString s;
    const std::pair<char, const KeruloWindow*> all[] = {
        {'1', &f.toolbar()}, {'2', &f.followImage()}, {'3', &f.halo()},      {'4', &f.settings()},
        {'5', &f.help()},    {'8', &f.penSurface()},  {'9', &f.penToolbox()}};
    for (const auto& [n, form] : all)
        if (form->isVisible())
            s += QLatin1Char(n);
    return s;
}

class WindowSetTest : public WindowSetFixture {};

TEST_F(WindowSetTest, AfterStartUpTheToolbarAndTheMainWindowAreUpAndTheDialogIsClosed) {
    start(false);
    EXPECT_EQ(visibleWindows(*windows), "4") << "the settings dialog is created visible";
    windows->showMainWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleWindows(*windows), "12");
}

TEST_F(WindowSetTest, WindowsAreDestroyedLastCreatedFirst) {
    start();
    QStringList destroyed;
    for (KeruloWindow* form : std::initializer_list<KeruloWindow*>{
             &windows->edgeToolbar(), &windows->followImage(), &windows->halo(),
             &windows->settings(), &windows->help(), &windows->penSurface(),
             &windows->penToolbox()})
        QObject::connect(form, &QObject::destroyed,
                         [&destroyed, name = form->objectName()] { destroyed << name; });
    windows.reset();
    EXPECT_EQ(destroyed,
              QStringList({"Form9", "Form8", "Form5", "Form4", "Form3", "Form1", "Form2"}));
}

TEST_F(WindowSetTest, WindowsCarryTheirCaptionsAndTheProgramsClass) {
    start();
    const std::pair<const KeruloWindow*, QString> captions[] = {
        {&windows->edgeToolbar(), "Kerulo"}, {&windows->followImage(), "跟随2"},
        {&windows->halo(), "特效3"},         {&windows->settings(), "综合设置"},
        {&windows->help(), "光标特效"},      {&windows->penSurface(), "Form8"},
        {&windows->penToolbox(), "Form9"}};
    for (const auto& [form, caption] : captions) {
        EXPECT_EQ(form->windowTitle(), caption);
        auto* window = const_cast<KeruloWindow*>(form);
        EXPECT_EQ(platform.shell.windowClass(window), "kerulo") << caption.toStdString();
        EXPECT_TRUE(platform.shell.isOffTaskbar(window)) << caption.toStdString();
    }
}

TEST_F(WindowSetTest, ToolbarStandsAtTheRightEdgeFromHalfTheScreenHeight) {
    platform.pointer.setPrimaryScreenSize({1280, 1025});
    platform.pointer.setPosition(QPoint(10, 10));
    start();
    EXPECT_EQ(windows->edgeToolbar().geometry(), QRect(1275, 512, 65, 198)) << "retracted at once";
    platform.movePointer({1279, 600});
    EXPECT_EQ(windows->edgeToolbar().x(), 1215);
    platform.movePointer({1279, 512});
    EXPECT_EQ(windows->edgeToolbar().x(), 1215) << "the top line keeps it out";
    platform.movePointer({1279, 511});
    EXPECT_EQ(windows->edgeToolbar().x(), 1275);
}

TEST_F(WindowSetTest, AnUnknownPointerLeavesTheToolbarWhereItIs) {
    platform.pointer.setPosition(QPoint(1919, 600));
    start();
    ASSERT_EQ(windows->edgeToolbar().x(), 1855);
    platform.pointer.setPosition(std::nullopt);
    windows->edgeToolbar().lookAtPointer();
    EXPECT_EQ(windows->edgeToolbar().x(), 1855);
    EXPECT_TRUE(errors.isEmpty());
}

struct CommandCase {
    const char* name;
    const char* panel;
    const char* menuItem;
    const char* before; // how to set up: a sequence of panels to click first
    QString visibleAfter;
};

// Starting from the toolbar and the follow image on screen.
const CommandCase Commands[] = {
    {"SettingsShowsTheDialog", "Pa2", "pd2", "", "124"},
    {"FollowWhileFollowing", "Pa3", "pd3", "", "12"},
    {"FollowClosesTheHalo", "Pa3", "pd3", "Pa4", "12"},
    // The follow image is already up, so its show handler does not run again.
    {"FollowWhileFollowingKeepsTheDialog", "Pa3", "pd3", "Pa2", "124"},
    {"HaloHidesTheFollowImage", "Pa4", "pd4", "", "13"},
    {"HaloWhileHalo", "Pa4", "pd4", "Pa4", "13"},
    {"PenHidesTheFollowImage", "Pa6", "pd5", "", "189"},
    {"PenClosesTheHalo", "Pa6", "pd5", "Pa4", "189"},
    {"HelpShowsHelp", "Pa5", "pd6", "", "125"},
    {"HelpTwice", "Pa5", "pd6", "Pa5", "125"},
};

class ToolbarCommands : public WindowSetFixture, public ::testing::WithParamInterface<CommandCase> {
protected:
    void clickPanel(const char* name) {
        auto* panel = windows->edgeToolbar().findChild<ClickPanel*>(QString::fromLatin1(name));
        ASSERT_NE(panel, nullptr) << name;
        QTest::mouseClick(panel, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    void prepare(const char* before) {
        if (*before)
            clickPanel(before);
    }
};

TEST_P(ToolbarCommands, PanelAndMenuItemShowAndHideTheSameWindows) {
    const CommandCase& c = GetParam();
    start();
    prepare(c.before);
    clickPanel(c.panel);
    const QString byPanel = visibleWindows(*windows);
    EXPECT_EQ(byPanel, c.visibleAfter) << "panel " << c.panel;

    windows.reset();
    start();
    prepare(c.before);
    QAction* item = windows->edgeToolbar().commandMenu()->findChild<QAction*>(c.menuItem);
    ASSERT_NE(item, nullptr) << c.menuItem;
    item->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleWindows(*windows), c.visibleAfter) << "menu item " << c.menuItem;
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, ToolbarCommands, ::testing::ValuesIn(Commands),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowSetTest, TheMenuListsItsSixItemsInOrder) {
    start();
    QStringList captions;
    QStringList names;
    for (QAction* a : windows->edgeToolbar().commandMenu()->actions()) {
        captions << a->text();
        names << a->objectName();
    }
    EXPECT_EQ(names, QStringList({"pd1", "pd2", "pd3", "pd4", "pd5", "pd6"}));
    EXPECT_EQ(captions, QStringList({"关        闭", "设        置", "鼠标跟随", "鼠标光环",
                                     "电  子  笔", "软件帮助"}));
}

TEST_F(WindowSetTest, PanelsReadTopToBottomWithThePenAboveHelp) {
    start();
    const std::pair<const char*, QString> expected[] = {
        {"Pa1", "关       闭"}, {"Pa2", "设       置"}, {"Pa3", "鼠标跟随"},
        {"Pa4", "鼠标光环"},    {"Pa6", "电子笔"},      {"Pa5", "软件帮助"}};
    int top = 8;
    for (const auto& [name, caption] : expected) {
        auto* panel = windows->edgeToolbar().findChild<ClickPanel*>(QString::fromLatin1(name));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->text(), caption);
        EXPECT_EQ(panel->geometry(), QRect(0, top, 65, 25)) << name;
        top += 32;
    }
}

TEST_F(WindowSetTest, ShowingTheFollowImageClosesTheSettingsDialogEvenWhenItIsAlreadyOpen) {
    start();
    windows->edgeToolbar().openSettings();
    ASSERT_TRUE(windows->settings().isVisible());
    windows->edgeToolbar().showHalo();
    windows->edgeToolbar().showFollowImage();
    EXPECT_FALSE(windows->settings().isVisible());
    EXPECT_TRUE(windows->followImage().isVisible());
}

} // namespace
} // namespace kerulo
