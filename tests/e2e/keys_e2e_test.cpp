// The global keys on a real desktop: F8, F7 and Esc pressed while another program has the
// keyboard focus reach the program and not that one, with the lock keys on or off, held down,
// taken by another client first, and free again once the program has ended.
#include "desktoptest.h"
#include "effects/hotkeytable.h"
#include "shown.h"

#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>

namespace kerulo::e2e {
namespace {

using Key = GlobalKeys::Key;
using test::VisibleEffects;

constexpr Key AllKeys[] = {Key::F8, Key::F7, Key::Escape};

const char* keysym(Key key) {
    switch (key) {
    case Key::F8:
        return "F8";
    case Key::F7:
        return "F7";
    case Key::Escape:
        return "Escape";
    }
    return "";
}

// The Xlib modifier sets a key is grabbed with: alone and with each lock key.
const unsigned LockVariants[] = {0, LockModifier::NumLock, LockModifier::CapsLock,
                                 LockModifier::NumLock | LockModifier::CapsLock};

// What a key leaves, by the table of the effects.
Shown after(const Shown& before, Key key) {
    for (const test::HotKeyCase& c : test::hotKeyTable())
        if (c.key == key && c.before.followImage == before.followImage &&
            c.before.halo == before.halo && c.before.pen == before.pen)
            return {c.after.followImage, c.after.halo, c.after.pen};
    ADD_FAILURE() << "no row for " << before;
    return before;
}

class KeysOnDesktop : public DesktopTest<> {
protected:
    void SetUp() override {
        x().movePointer(100, 100);
        m_typing = x().createKeyWindow(QRect(300, 300, 400, 300), 0x30a050);
        m_folder = std::make_unique<test::RunFolder>();
    }
    void TearDown() override {
        m_kerulo.reset();
        setLocks(0);
        x().destroyWindow(m_typing);
        waitUntil(5000, [] { return x().mappedWindowsOfClass(KeruloProbe::Class).empty(); });
    }

    void startKerulo() {
        m_kerulo = std::make_unique<KeruloProcess>(display(), *m_folder);
        ASSERT_TRUE(waitUntil(10000, [] { return probe().toolbar().has_value(); }))
            << m_kerulo->output().toStdString();
        ASSERT_TRUE(waitUntil(3000, [this] { return shown() == Shown{true, false, false}; }));
    }
    // Ends the program through its close command and gives the lines it wrote of its own.
    QStringList closeKerulo() {
        EXPECT_TRUE(m_kerulo->running()) << "the program ran until it was closed";
        probe().clickToolbarPanel(Panel::Close);
        EXPECT_EQ(m_kerulo->waitForExit(10000), 0);
        QStringList ours;
        for (const QString& line : m_kerulo->output().split('\n'))
            if (line.startsWith("kerulo:"))
                ours << line;
        return ours;
    }

    static Shown shown() { return Shown::on(probe()); }

    // Turns the lock keys on or off with their own keys, as a user does.
    static void setLocks(unsigned wanted) {
        for (const auto& [modifier, name] : {std::pair{LockModifier::NumLock, "Num_Lock"},
                                             std::pair{LockModifier::CapsLock, "Caps_Lock"}})
            if ((x().lockModifiers() & modifier) != (wanted & modifier)) {
                x().tapKey(name);
                waitUntil(1000,
                          [&] { return (x().lockModifiers() & modifier) == (wanted & modifier); });
            }
        ASSERT_EQ(x().lockModifiers(), wanted);
    }

    // Presses a key while the test window has the focus, then types "a" there; gives what
    // the window saw of both.
    std::vector<std::string> typeInTestWindow(const char* key) {
        x().focus(m_typing);
        x().takeKeyPresses(m_typing);
        x().tapKey(key);
        x().tapKey("a");
        std::vector<std::string> seen;
        waitUntil(2000, [&] {
            for (const std::string& k : x().takeKeyPresses(m_typing))
                seen.push_back(k);
            return std::find(seen.begin(), seen.end(), "a") != seen.end();
        });
        return seen;
    }

    // Presses a global key in the test window: the program switches as the table says and the
    // test window sees nothing of it.
    void pressGlobalKey(Key key, Shown& state) {
        const std::vector<std::string> seen = typeInTestWindow(keysym(key));
        EXPECT_EQ(seen, std::vector<std::string>{"a"}) << keysym(key) << " reached the window";
        state = after(state, key);
        EXPECT_TRUE(waitUntil(3000, [&] { return shown() == state; }))
            << keysym(key) << ": expected " << state << ", shown " << shown();
    }

    unsigned long m_typing = 0;
    std::unique_ptr<test::RunFolder> m_folder;
    std::unique_ptr<KeruloProcess> m_kerulo;
};

struct Locks {
    const char* what;
    unsigned modifiers;
};

class KeysFromAnotherProgram : public KeysOnDesktop, public ::testing::WithParamInterface<Locks> {};

TEST_P(KeysFromAnotherProgram, SwitchTheEffectsAndNeverReachIt) {
    ASSERT_NO_FATAL_FAILURE(setLocks(GetParam().modifiers));
    ASSERT_NO_FATAL_FAILURE(startKerulo());
    Shown state{true, false, false};
    for (Key key :
         {Key::F8, Key::F8, Key::F7, Key::F7, Key::Escape, Key::F8, Key::F7, Key::Escape}) {
        ASSERT_NO_FATAL_FAILURE(pressGlobalKey(key, state));
        if (key == Key::Escape && state.pen) {
            QThread::msleep(200);
            x().grabScreen().save(screenshotPath(QStringLiteral("keys-pen-by-esc")));
        }
    }
    EXPECT_TRUE(closeKerulo().isEmpty());
}

const Locks LockCases[] = {
    {"no lock key", 0},
    {"Num Lock", LockModifier::NumLock},
    {"Caps Lock", LockModifier::CapsLock},
    {"Num Lock and Caps Lock", LockModifier::NumLock | LockModifier::CapsLock},
};

INSTANTIATE_TEST_SUITE_P(Locks, KeysFromAnotherProgram, ::testing::ValuesIn(LockCases),
                         [](const auto& info) { return test::caseName(info.param.what); });

// Each repeat the server sends while F8 is held switches the follow image once more.
TEST_F(KeysOnDesktop, HeldF8MakesTheFollowImageBlink) {
    ASSERT_NO_FATAL_FAILURE(startKerulo());
    const auto [delay, interval] = x().enableAutoRepeat();
    ASSERT_GT(interval, 0);
    const unsigned long image = probe().followImage()->id;
    x().watchMapping(image);
    x().focus(m_typing);
    x().takeKeyPresses(m_typing);

    constexpr int Repeats = 12;
    x().key("F8", true);
    QThread::msleep(unsigned(delay + Repeats * interval));
    x().key("F8", false);
    // The changes are counted once they stop coming.
    int changes = 0;
    for (int quiet = 0; quiet < 5;) {
        QThread::msleep(100);
        const int more = x().takeMapChanges(image);
        changes += more;
        quiet = more ? 0 : quiet + 1;
    }
    EXPECT_GE(changes, 1 + Repeats / 2) << "one change for the press and one for each repeat";
    EXPECT_TRUE(x().takeKeyPresses(m_typing).empty());
    // The program has caught up with every repeat: the image's state matches the count.
    const Shown expected{changes % 2 == 0, false, false};
    EXPECT_TRUE(waitUntil(2000, [&] { return shown() == expected; })) << changes;
}

// Another client holds one key before the program starts: that key stays with it, the other
// two work, and the program says on standard error which key it could not take.
class KeyHeldByAnotherClient : public KeysOnDesktop, public ::testing::WithParamInterface<Key> {};

TEST_P(KeyHeldByAnotherClient, LeavesTheOtherKeysWorking) {
    const Key held = GetParam();
    ASSERT_TRUE(x().grabKey(keysym(held), 0));
    ASSERT_NO_FATAL_FAILURE(startKerulo());
    // The program keeps no part of a key it could not take wholly.
    for (unsigned modifiers : LockVariants)
        if (modifiers != 0) {
            EXPECT_TRUE(x().grabKey(keysym(held), modifiers)) << modifiers;
            x().ungrabKey(keysym(held), modifiers);
        }

    Shown state{true, false, false};
    for (Key key : {Key::F8, Key::F7, Key::Escape, Key::F8, Key::F7, Key::Escape}) {
        if (key != held) {
            ASSERT_NO_FATAL_FAILURE(pressGlobalKey(key, state));
            continue;
        }
        x().takeKeyPresses(x().root());
        x().tapKey(keysym(key));
        EXPECT_EQ(x().takeKeyPresses(x().root()), std::vector<std::string>{keysym(key)})
            << "the key goes to the client that holds it";
    }
    EXPECT_EQ(shown(), state) << "the held key changed nothing";
    EXPECT_EQ(closeKerulo(), QStringList{"kerulo: cannot take the key " + GlobalKeys::name(held) +
                                         ": another program holds it"});
    x().ungrabKey(keysym(held), 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyHeldByAnotherClient, ::testing::ValuesIn(AllKeys),
                         [](const auto& info) {
                             return GlobalKeys::name(info.param).toStdString();
                         });

TEST_F(KeysOnDesktop, KeysAreFreeForOtherProgramsOnceTheProgramHasEnded) {
    ASSERT_NO_FATAL_FAILURE(startKerulo());
    for (Key key : AllKeys)
        for (unsigned modifiers : LockVariants)
            if (x().grabKey(keysym(key), modifiers)) {
                ADD_FAILURE() << keysym(key) << " with modifiers " << modifiers << " was free";
                x().ungrabKey(keysym(key), modifiers);
            }
    // Esc starts and ends the pen, whose surface would take the click on the close command.
    Shown state{true, false, false};
    pressGlobalKey(Key::Escape, state);
    pressGlobalKey(Key::Escape, state);
    EXPECT_TRUE(closeKerulo().isEmpty());

    for (Key key : AllKeys)
        for (unsigned modifiers : LockVariants) {
            EXPECT_TRUE(x().grabKey(keysym(key), modifiers)) << keysym(key) << " " << modifiers;
            x().ungrabKey(keysym(key), modifiers);
        }
    EXPECT_EQ(typeInTestWindow("Escape"), (std::vector<std::string>{"Escape", "a"}))
        << "Esc reaches the focused program again";
}

} // namespace
} // namespace kerulo::e2e
