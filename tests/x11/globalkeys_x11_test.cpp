// Key combinations taken on a real X server: each press reaches only the combination held,
// with the lock keys on or off, and a combination another client holds is refused while the
// same key with other modifiers is not. The test process holds the keys through the toolkit's
// own connection and presses them through XTest on a second one.
#include "e2e/e2esession.h"
#include "e2e/xdisplay.h"
#include "x11/ondesktopmain.h"
#include "platform/x11/x11globalkeys.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <memory>

namespace kerulo::e2e {
namespace {

VirtualDesktop* desktop = nullptr;

struct Press {
    const char* what;
    std::vector<const char*> modifiers; // keysyms held around the key
    const char* key;
    bool numLock;
    const char* heard; // the combination heard, or null for none
};

class X11KeyCombinations : public ::testing::TestWithParam<Press> {
protected:
    void SetUp() override {
        x = std::make_unique<XDisplay>(desktop->display());
        QString error;
        for (const KeyCombination& c : Held)
            ASSERT_TRUE(keys.grab(c, &error)) << c.name().toStdString() << ": "
                                              << error.toStdString();
        QObject::connect(&keys, &GlobalKeys::combinationPressed,
                         [this](const KeyCombination& c) { heard << c.name(); });
    }

    void press(const Press& p) {
        if (p.numLock)
            x->tapKey("Num_Lock");
        for (const char* m : p.modifiers)
            x->key(m, true);
        x->tapKey(p.key);
        for (auto m = p.modifiers.rbegin(); m != p.modifiers.rend(); ++m)
            x->key(*m, false);
        if (p.numLock)
            x->tapKey("Num_Lock");
    }

    // Runs the event loop until the first press arrives, or for a while when none comes.
    void listen(bool expectOne) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < (expectOne ? 5000 : 400) && !(expectOne && !heard.isEmpty()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::processEvents();
    }

    static inline const KeyCombination Held[] = {
        {Qt::Key_F8},
        {Qt::Key_F8, Qt::ControlModifier},
        {Qt::Key_F9, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_K, Qt::AltModifier | Qt::MetaModifier},
    };

    std::unique_ptr<XDisplay> x;
    X11GlobalKeys keys;
    QStringList heard;
};

TEST_P(X11KeyCombinations, ReachOnlyTheCombinationHeld) {
    press(GetParam());
    listen(GetParam().heard != nullptr);
    if (GetParam().heard)
        EXPECT_EQ(heard, QStringList{QString::fromUtf8(GetParam().heard)});
    else
        EXPECT_TRUE(heard.isEmpty()) << heard.join(", ").toStdString();
}

const Press Presses[] = {
    {"F8", {}, "F8", false, "F8"},
    {"CtrlF8", {"Control_L"}, "F8", false, "Ctrl+F8"},
    {"CtrlF8WithNumLock", {"Control_L"}, "F8", true, "Ctrl+F8"},
    {"CtrlShiftF9", {"Control_L", "Shift_L"}, "F9", false, "Ctrl+Shift+F9"},
    {"AltMetaK", {"Alt_L", "Super_L"}, "k", false, "Meta+Alt+K"},
    {"ShiftF9NotHeld", {"Shift_L"}, "F9", false, nullptr},
    {"ShiftF8NotHeld", {"Shift_L"}, "F8", false, nullptr},
    {"KAloneNotHeld", {}, "k", false, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Presses, X11KeyCombinations, ::testing::ValuesIn(Presses),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(X11KeyCombinationsHeldElsewhere, AreRefusedWhileTheKeyWithOtherModifiersIsTaken) {
    XDisplay other(desktop->display());
    constexpr unsigned ControlMask = 1u << 2;
    ASSERT_TRUE(other.grabKey("F10", ControlMask));
    X11GlobalKeys keys;
    QString error;
    EXPECT_FALSE(keys.grab(KeyCombination{Qt::Key_F10, Qt::ControlModifier}, &error));
    EXPECT_EQ(error, "another program holds it");
    EXPECT_TRUE(keys.grab(KeyCombination{Qt::Key_F10}, &error)) << error.toStdString();
    other.ungrabKey("F10", ControlMask);
    EXPECT_TRUE(keys.grab(KeyCombination{Qt::Key_F10, Qt::ControlModifier}, &error))
        << error.toStdString();
}

TEST(X11KeyCombinationsRefused, KeysAndModifiersThatCannotBeTakenSayWhy) {
    X11GlobalKeys keys;
    for (const KeyCombination& c :
         {KeyCombination{Qt::Key_VolumeUp}, KeyCombination{Qt::Key_F8, Qt::KeypadModifier}}) {
        QString error;
        EXPECT_FALSE(keys.grab(c, &error)) << c.name().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

} // namespace
} // namespace kerulo::e2e

int main(int argc, char** argv) {
    return kerulo::e2e::runTestsOnVirtualDesktop<QGuiApplication>(argc, argv, kerulo::e2e::desktop);
}
