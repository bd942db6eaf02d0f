#include "app/clickpanel.h"
#include "app/edgerule.h"
#include "app/tform1.h"
#include "effects/tform2.h"
#include "effects/tform3.h"
#include "help/tform5.h"
#include "pen/tform8.h"
#include "pen/tform9.h"
#include "settings/tform4.h"
#include "support/windowsetfixture.h"

#include <QAction>
#include <QMenu>
#include <QTest>

namespace kerulo {
namespace {

using test::WindowSetFixture;

// Which windows are visible, as a string of the instance numbers: "124" means Form1, Form2
// and Form4.
QString visibleForms(const WindowSet& f) {
    QString s;
    const std::pair<char, const KForm*> all[] = {
        {'1', f.Form1.get()}, {'2', f.Form2.get()}, {'3', f.Form3.get()}, {'4', f.Form4.get()},
        {'5', f.Form5.get()}, {'8', f.Form8.get()}, {'9', f.Form9.get()}};
    for (const auto& [n, form] : all)
        if (form->Visible())
            s += QLatin1Char(n);
    return s;
}

class WindowSetTest : public WindowSetFixture {};

TEST_F(WindowSetTest, AfterStartUpTheToolbarAndTheMainWindowAreUpAndTheDialogIsClosed) {
    start(false);
    EXPECT_EQ(visibleForms(*forms), "4") << "the settings dialog is created visible";
    forms->showMainWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleForms(*forms), "12");
}

TEST_F(WindowSetTest, WindowsAreDestroyedLastCreatedFirst) {
    start();
    QStringList destroyed;
    for (KForm* form : std::initializer_list<KForm*>{
             forms->Form1.get(), forms->Form2.get(), forms->Form3.get(), forms->Form4.get(),
             forms->Form5.get(), forms->Form8.get(), forms->Form9.get()})
        QObject::connect(form, &QObject::destroyed,
                         [&destroyed, name = form->objectName()] { destroyed << name; });
    forms.reset();
    EXPECT_EQ(destroyed,
              QStringList({"Form9", "Form8", "Form5", "Form4", "Form3", "Form1", "Form2"}));
}

TEST_F(WindowSetTest, WindowsCarryTheirCaptionsAndTheProgramsClass) {
    start();
    const std::pair<const KForm*, QString> captions[] = {
        {forms->Form1.get(), "Kerulo"},   {forms->Form2.get(), "跟随2"},
        {forms->Form3.get(), "特效3"},    {forms->Form4.get(), "综合设置"},
        {forms->Form5.get(), "光标特效"}, {forms->Form8.get(), "Form8"},
        {forms->Form9.get(), "Form9"}};
    for (const auto& [form, caption] : captions) {
        EXPECT_EQ(form->windowTitle(), caption);
        auto* window = const_cast<KForm*>(form);
        EXPECT_EQ(platform.shell.windowClass(window), "kerulo") << caption.toStdString();
        EXPECT_TRUE(platform.shell.isOffTaskbar(window)) << caption.toStdString();
    }
}

TEST_F(WindowSetTest, ToolbarStandsAtTheRightEdgeFromHalfTheScreenHeight) {
    platform.pointer.setPrimaryScreenSize({1280, 1025});
    platform.pointer.setPosition(QPoint(10, 10));
    start();
    EXPECT_EQ(forms->Form1->geometry(), QRect(1275, 512, 65, 198)) << "retracted at once";
    platform.movePointer({1279, 600});
    EXPECT_EQ(forms->Form1->x(), 1215);
    platform.movePointer({1279, 512});
    EXPECT_EQ(forms->Form1->x(), 1215) << "the top line keeps it out";
    platform.movePointer({1279, 511});
    EXPECT_EQ(forms->Form1->x(), 1275);
}

TEST_F(WindowSetTest, AnUnknownPointerLeavesTheToolbarWhereItIs) {
    platform.pointer.setPosition(QPoint(1919, 600));
    start();
    ASSERT_EQ(forms->Form1->x(), 1855);
    platform.pointer.setPosition(std::nullopt);
    forms->Form1->lookAtPointer();
    EXPECT_EQ(forms->Form1->x(), 1855);
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
        auto* panel = forms->Form1->findChild<ClickPanel*>(QString::fromLatin1(name));
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
    const QString byPanel = visibleForms(*forms);
    EXPECT_EQ(byPanel, c.visibleAfter) << "panel " << c.panel;

    forms.reset();
    start();
    prepare(c.before);
    QAction* item = forms->Form1->PopupMenu1()->findChild<QAction*>(c.menuItem);
    ASSERT_NE(item, nullptr) << c.menuItem;
    item->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleForms(*forms), c.visibleAfter) << "menu item " << c.menuItem;
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, ToolbarCommands, ::testing::ValuesIn(Commands),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowSetTest, TheMenuListsItsSixItemsInOrder) {
    start();
    QStringList captions;
    QStringList names;
    for (QAction* a : forms->Form1->PopupMenu1()->actions()) {
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
        auto* panel = forms->Form1->findChild<ClickPanel*>(QString::fromLatin1(name));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->text(), caption);
        EXPECT_EQ(panel->geometry(), QRect(0, top, 65, 25)) << name;
        top += 32;
    }
}

TEST_F(WindowSetTest, ShowingTheFollowImageClosesTheSettingsDialogEvenWhenItIsAlreadyOpen) {
    start();
    forms->Form1->Pa2Click();
    ASSERT_TRUE(forms->Form4->Visible());
    forms->Form1->Pa4Click();
    forms->Form1->Pa3Click();
    EXPECT_FALSE(forms->Form4->Visible());
    EXPECT_TRUE(forms->Form2->Visible());
}

} // namespace
} // namespace kerulo
