// The global keys on the windows, over the fake platform: who takes which key and when, what
// each press switches, and what happens when a key cannot be taken.
#include "app/edgetoolbar.h"
#include "effects/followimagewindow.h"
#include "effects/halowindow.h"
#include "hotkeytable.h"
#include "pen/pensurface.h"
#include "pen/pentoolbox.h"
#include "pen/screencanvas.h"
#include "settings/settingsdialog.h"
#include "store/sqlitedatabase.h"
#include "support/windowsetfixture.h"

#include <algorithm>
#include <functional>

namespace kerulo {
namespace {

using Key = GlobalKeys::Key;
using test::HotKeyCase;
using test::VisibleEffects;

constexpr Key AllKeys[] = {Key::F8, Key::F7, Key::Escape};

class HotKeyWindows : public test::WindowSetFixture {
protected:
    void press(Key key) {
        platform.keys.press(key);
        QCoreApplication::processEvents();
    }
    void startPen() {
        windows->penSurface().showInFront();
        QCoreApplication::processEvents();
    }
    // Brings the windows into a state of the table.
    void arrange(const VisibleEffects& effects) {
        windows->followImage().setVisible(false);
        windows->halo().setVisible(false);
        windows->penSurface().setVisible(false);
        windows->penToolbox().setVisible(false);
        if (effects.pen)
            startPen();
        if (effects.followImage)
            windows->followImage().setVisible(true);
        if (effects.halo)
            windows->halo().setVisible(true);
    }
    void expectVisible(const VisibleEffects& effects) {
        EXPECT_EQ(windows->followImage().isVisible(), effects.followImage) << "follow image";
        EXPECT_EQ(windows->halo().isVisible(), effects.halo) << "halo";
        EXPECT_EQ(windows->penToolbox().isVisible(), effects.pen) << "pen toolbox";
        EXPECT_EQ(windows->penSurface().isVisible(), effects.pen) << "pen surface";
    }
    static HotKeyCase tableCase(const char* before, Key key) {
        const std::vector<HotKeyCase> table = test::hotKeyTable();
        return *std::find_if(table.begin(), table.end(), [&](const HotKeyCase& c) {
            return c.before.name == std::string(before) && c.key == key;
        });
    }
};

TEST_F(HotKeyWindows, KeysAreTakenInCreationOrderAndGivenBackWhenTheWindowsGo) {
    start();
    EXPECT_EQ(platform.keys.grabs(), (std::vector<Key>{Key::F8, Key::F7, Key::Escape}));
    const quint32 id = platform.keys.atom("MyHotKey");
    for (const KeruloWindow* w : std::initializer_list<const KeruloWindow*>{
             &windows->followImage(), &windows->halo(), &windows->penToolbox()})
        EXPECT_EQ(w->hotKeyId(), id) << w->objectName().toStdString();
    EXPECT_TRUE(platform.keys.releases().empty());
    windows.reset();
    for (Key key : AllKeys)
        EXPECT_FALSE(platform.keys.isHeld(key)) << GlobalKeys::name(key).toStdString();
}

class HotKeyTransitionsOnWindows : public HotKeyWindows,
                                   public ::testing::WithParamInterface<HotKeyCase> {};

// The state "nothing" has each key's own window hidden: a key works whether its window is
// shown or not.
TEST_P(HotKeyTransitionsOnWindows, SwitchTheWindowsAsTheTableSays) {
    const HotKeyCase& c = GetParam();
    start();
    arrange(c.before);
    ASSERT_NO_FATAL_FAILURE(expectVisible(c.before));
    // The follow image's show work is seen by a hidden toolbar and an open dialog.
    windows->toolbar().hide();
    windows->settings().showInFront();
    const int repaints = platform.penScreen.repaints();

    press(c.key);
    expectVisible(c.after);
    // Ending the pen shows the follow image even when it was visible before: it puts the
    // image away first.
    const bool endsPen = c.before.pen && !c.after.pen;
    const bool showsFollowImage = c.after.followImage && (!c.before.followImage || endsPen);
    EXPECT_EQ(windows->toolbar().isVisible(), showsFollowImage) << "the toolbar comes out";
    EXPECT_EQ(windows->settings().isVisible(), !showsFollowImage) << "the dialog closes";
    EXPECT_EQ(platform.penScreen.repaints() - repaints, endsPen ? 1 : 0) << "desktop repaints";
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, HotKeyTransitionsOnWindows,
                         ::testing::ValuesIn(test::hotKeyTable()),
                         [](const auto& info) { return test::hotKeyCaseName(info.param); });

// The pen is on while its toolbox is up, even with the surface put out of the way for the
// pointer on the toolbox, or with drawing stopped.
struct PenAside {
    const char* what;
    bool pointerOnToolbox;
    bool drawingStopped;
};

class EscWithThePenAside : public HotKeyWindows, public ::testing::WithParamInterface<PenAside> {};

TEST_P(EscWithThePenAside, EndsThePenAndKeepsTheColours) {
    const PenAside& c = GetParam();
    start();
    startPen();
    PenSurface& surface = windows->penSurface();
    PenToolbox& toolbox = windows->penToolbox();
    // Colours other than the stored ones, which a clearing of the screen would bring back.
    surface.canvas().setPenColour(qRgb(1, 2, 3));
    surface.canvas().setBrushColour(qRgb(4, 5, 6));
    ASSERT_NE(surface.storedPenColour().rgb(), qRgb(1, 2, 3));
    if (c.drawingStopped)
        toolbox.stopOrStart();
    if (c.pointerOnToolbox)
        platform.movePointer(toolbox.frameGeometry().center());
    QCoreApplication::processEvents();
    ASSERT_EQ(surface.isVisible(), !c.pointerOnToolbox);
    ASSERT_EQ(toolbox.drawingEnabled(), !c.drawingStopped);
    ASSERT_TRUE(toolbox.isVisible());
    const int repaints = platform.penScreen.repaints();

    press(Key::Escape);
    EXPECT_FALSE(toolbox.isVisible());
    EXPECT_FALSE(surface.isVisible());
    EXPECT_TRUE(windows->followImage().isVisible());
    EXPECT_EQ(platform.penScreen.repaints() - repaints, 1);
    EXPECT_EQ(surface.canvas().penColour(), qRgb(1, 2, 3));
    EXPECT_EQ(surface.canvas().brushColour(), qRgb(4, 5, 6));

    // And the next Esc starts the pen again.
    press(Key::Escape);
    EXPECT_TRUE(toolbox.isVisible());
    EXPECT_FALSE(windows->followImage().isVisible());
}

const PenAside PenAsideCases[] = {
    {"surface away for the pointer on the toolbox", true, false},
    {"drawing stopped", false, true},
    {"drawing stopped and the surface away", true, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, EscWithThePenAside, ::testing::ValuesIn(PenAsideCases),
                         [](const auto& info) { return test::caseName(info.param.what); });

// Closing the halo only hides it: F7 stays with the program and shows the halo again.
struct HaloCloser {
    const char* what;
    std::function<void(WindowSet&)> close;
};

class F7AfterTheHaloClosed : public HotKeyWindows,
                             public ::testing::WithParamInterface<HaloCloser> {};

TEST_P(F7AfterTheHaloClosed, ShowsTheHaloAgain) {
    start();
    windows->edgeToolbar().showHalo();
    ASSERT_TRUE(windows->halo().isVisible());
    GetParam().close(*windows);
    QCoreApplication::processEvents();
    ASSERT_FALSE(windows->halo().isVisible());
    EXPECT_TRUE(platform.keys.isHeld(Key::F7));

    press(Key::F7);
    EXPECT_TRUE(windows->halo().isVisible());
    EXPECT_FALSE(windows->followImage().isVisible());
    press(Key::F7);
    EXPECT_FALSE(windows->halo().isVisible());
}

const HaloCloser HaloClosers[] = {
    {"the toolbar's follow command", [](WindowSet& w) { w.edgeToolbar().showFollowImage(); }},
    {"the toolbar's pen command", [](WindowSet& w) { w.edgeToolbar().startPen(); }},
    {"a close of the halo", [](WindowSet& w) { w.halo().closeWindow(); }},
};

INSTANTIATE_TEST_SUITE_P(Cases, F7AfterTheHaloClosed, ::testing::ValuesIn(HaloClosers),
                         [](const auto& info) { return test::caseName(info.param.what); });

// F8 comes after the follow image's settings and picture; F7 comes before the halo's settings.
struct SetUpFailure {
    const char* what;
    const char* sql;
    bool f8Taken;
};

class KeysAfterASetUpFailure : public HotKeyWindows,
                               public ::testing::WithParamInterface<SetUpFailure> {};

TEST_P(KeysAfterASetUpFailure, AreTakenOnlyWhenTheirStepWasReached) {
    const SetUpFailure& c = GetParam();
    SqliteDatabase("GBTest.db").execute(c.sql);
    start();
    // The effect window and the settings dialog, which reads the same row, report it.
    ASSERT_EQ(errors.size(), 2) << errors.join('\n').toStdString();
    const std::vector<Key>& grabs = platform.keys.grabs();
    EXPECT_EQ(std::count(grabs.begin(), grabs.end(), Key::F8), c.f8Taken ? 1 : 0)
        << "F8 is not even asked for after a failure before its step";
    EXPECT_EQ(windows->followImage().hotKey().has_value(), c.f8Taken);
    EXPECT_TRUE(platform.keys.isHeld(Key::F7));
    EXPECT_TRUE(platform.keys.isHeld(Key::Escape));

    press(Key::F7);
    EXPECT_TRUE(windows->halo().isVisible());
    press(Key::Escape);
    EXPECT_TRUE(windows->penToolbox().isVisible());
}

const SetUpFailure SetUpFailures[] = {
    {"missing picture", "Update GBgs Set FileN='pic\\gone.png' where GBgsID=1", false},
    {"no follow image settings", "Drop table GBgs", false},
    {"no halo settings", "Drop table GBtx", true},
};

INSTANTIATE_TEST_SUITE_P(Cases, KeysAfterASetUpFailure, ::testing::ValuesIn(SetUpFailures),
                         [](const auto& info) { return test::caseName(info.param.what); });

class KeyHeldByAnotherProgram : public HotKeyWindows, public ::testing::WithParamInterface<Key> {};

TEST_P(KeyHeldByAnotherProgram, IsNamedOnStandardErrorAndTheOthersWork) {
    const Key held = GetParam();
    platform.keys.holdElsewhere(held);
    ::testing::internal::CaptureStderr();
    start();
    const std::string stderrText = ::testing::internal::GetCapturedStderr();

    EXPECT_TRUE(errors.isEmpty()) << "nothing is shown: " << errors.join('\n').toStdString();
    // The toolkit may write notes of its own; the program writes one line.
    QStringList ours;
    for (const QString& line : QString::fromStdString(stderrText).split('\n'))
        if (line.startsWith("kerulo:"))
            ours << line;
    EXPECT_EQ(ours, QStringList{"kerulo: cannot take the key " + GlobalKeys::name(held) +
                                ": another program holds it"});
    for (Key other : AllKeys) {
        if (other == held)
            continue;
        const HotKeyCase c = tableCase("follow", other);
        arrange(c.before);
        press(other);
        expectVisible(c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyHeldByAnotherProgram, ::testing::ValuesIn(AllKeys),
                         [](const auto& info) {
                             return GlobalKeys::name(info.param).toStdString();
                         });

// Where nobody reads standard error (Windows), the keys not taken are listed in one box once
// the toolbar is up, and a later showing of the main window does not bring it again.
struct HeldKeys {
    const char* what;
    std::vector<Key> held;
    const char* listed; // the box's key lines, or null for no box
};

class KeysHeldWhereStandardErrorIsUnseen : public HotKeyWindows,
                                           public ::testing::WithParamInterface<HeldKeys> {};

TEST_P(KeysHeldWhereStandardErrorIsUnseen, AreListedInOneBoxAfterStartUp) {
    platform.shell.hideStandardError();
    for (Key key : GetParam().held)
        platform.keys.holdElsewhere(key);
    ::testing::internal::CaptureStderr();
    start();
    ::testing::internal::GetCapturedStderr();

    if (!GetParam().listed) {
        EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
        return;
    }
    ASSERT_EQ(errors.size(), 1) << errors.join("\n---\n").toStdString();
    EXPECT_TRUE(errors[0].endsWith(QString::fromUtf8(GetParam().listed)))
        << errors[0].toStdString();
    EXPECT_TRUE(windows->toolbar().isVisible());
    windows->followImage().setVisible(false);
    windows->showMainWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(errors.size(), 1) << "the box comes once per start";
}

const HeldKeys HeldKeyCases[] = {
    {"none", {}, nullptr},
    {"one", {Key::F7}, "：\nF7"},
    {"all", {Key::F8, Key::F7, Key::Escape}, "：\nF8\nF7\nEsc"},
};

INSTANTIATE_TEST_SUITE_P(Cases, KeysHeldWhereStandardErrorIsUnseen,
                         ::testing::ValuesIn(HeldKeyCases),
                         [](const auto& info) { return std::string(info.param.what); });

} // namespace
} // namespace kerulo
