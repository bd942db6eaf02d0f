// The Win32 platform layer on real native windows, as far as Wine shows them: hot keys pressed
// through SendInput, the pointer moved by the program, the pen's layer read back from the
// screen, the task-bar style, and one copy per session.
#include "platform/win32/win32desktopshell.h"
#include "platform/win32/win32globalkeys.h"
#include "platform/win32/win32inklayer.h"
#include "platform/win32/win32pointerwatch.h"
#include "platform/win32/win32programstart.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace kerulo {
namespace {

// Waits for the condition with the event loop running; the deadline is generous, a pass is
// as quick as the event comes.
bool eventually(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        Sleep(5);
    }
    return true;
}

void settle(int ms = 300) {
    eventually([] { return false; }, ms);
}

// Presses the key with the modifiers held, as a keyboard would.
void tap(std::vector<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    const auto add = [&inputs](WORD vk, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    for (WORD m : modifiers)
        add(m, false);
    add(key, false);
    add(key, true);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
        add(*m, true);
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

// ---- Global keys ----

struct KeyPress {
    const char* what;
    std::vector<WORD> modifiers;
    WORD key;
    const char* heard; // the combination's name, or null when nothing is held for it
};

class Win32KeysPressed : public ::testing::TestWithParam<KeyPress> {};

TEST_P(Win32KeysPressed, ReachOnlyTheCombinationHeld) {
    Win32GlobalKeys keys;
    QString error;
    ASSERT_TRUE(keys.grab(GlobalKeys::Key::F8, &error)) << error.toStdString();
    ASSERT_TRUE(keys.grab(KeyCombination{Qt::Key_F9, Qt::ControlModifier | Qt::ShiftModifier},
                          &error))
        << error.toStdString();
    QStringList heard;
    QObject::connect(&keys, &GlobalKeys::combinationPressed,
                     [&heard](const KeyCombination& c) { heard << c.name(); });
    std::vector<GlobalKeys::Key> own;
    QObject::connect(&keys, &GlobalKeys::pressed, [&own](GlobalKeys::Key k) { own.push_back(k); });

    tap(GetParam().modifiers, GetParam().key);
    if (GetParam().heard) {
        ASSERT_TRUE(eventually([&] { return !heard.isEmpty(); })) << "no press arrived";
        EXPECT_EQ(heard, QStringList{QString::fromUtf8(GetParam().heard)});
        EXPECT_EQ(own.size(), heard == QStringList{"F8"} ? 1u : 0u);
    } else {
        settle();
        EXPECT_TRUE(heard.isEmpty()) << heard.join(", ").toStdString();
    }
}

const KeyPress KeyPresses[] = {
    {"F8", {}, VK_F8, "F8"},
    {"CtrlShiftF9", {VK_CONTROL, VK_SHIFT}, VK_F9, "Ctrl+Shift+F9"},
    {"F9Alone", {}, VK_F9, nullptr},
    {"CtrlF8", {VK_CONTROL}, VK_F8, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Keys, Win32KeysPressed, ::testing::ValuesIn(KeyPresses),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(Win32Keys, AKeyHeldElsewhereIsRefusedUntilItIsGivenBack) {
    auto other = std::make_unique<Win32GlobalKeys>();
    QString error;
    ASSERT_TRUE(other->grab(GlobalKeys::Key::F7, &error)) << error.toStdString();

    Win32GlobalKeys keys;
    EXPECT_FALSE(keys.grab(GlobalKeys::Key::F7, &error));
    EXPECT_EQ(error, "another program holds it");
    other->release(GlobalKeys::Key::F7);
    EXPECT_TRUE(keys.grab(GlobalKeys::Key::F7, &error)) << error.toStdString();
    // Held once: a second grab is no new registration, and one release gives it back.
    EXPECT_TRUE(keys.grab(GlobalKeys::Key::F7, &error));
    keys.release(GlobalKeys::Key::F7);
    EXPECT_TRUE(other->grab(GlobalKeys::Key::F7, &error)) << error.toStdString();
}

TEST(Win32Keys, KeysAndModifiersThatCannotBeTakenAreRefusedWithAReason) {
    Win32GlobalKeys keys;
    const KeyCombination refused[] = {{Qt::Key_VolumeUp}, {Qt::Key_F8, Qt::KeypadModifier}};
    for (const KeyCombination& c : refused) {
        QString error;
        EXPECT_FALSE(keys.grab(c, &error)) << c.name().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(Win32Keys, TheSameNameGivesTheSameAtom) {
    Win32GlobalKeys keys;
    const quint32 a = keys.atom("MyHotKey");
    EXPECT_EQ(keys.atom("MyHotKey"), a);
    EXPECT_NE(keys.atom("AnotherName"), a);
    EXPECT_GE(a, 0xC000u) << "string atoms are numbered from 0xC000";
}

// ---- Pointer ----

TEST(Win32Pointer, AMoveOfThePointerIsReported) {
    // The toolkit follows the pointer once it has a window, as the program always does.
    QWidget window;
    window.setGeometry(600, 500, 50, 50);
    window.show();
    SetCursorPos(100, 100);
    settle();
    Win32PointerWatch watch;
    std::vector<QPoint> seen;
    QObject::connect(&watch, &PointerWatch::moved, [&seen](QPoint p) { seen.push_back(p); });
    SetCursorPos(321, 234);
    ASSERT_TRUE(eventually([&] { return !seen.empty() && seen.back() == QPoint(321, 234); }))
        << "last seen: "
        << (seen.empty() ? std::string("nothing")
                         : QStringLiteral("%1,%2").arg(seen.back().x()).arg(seen.back().y())
                               .toStdString())
        << ", the pointer at " << QCursor::pos().x() << "," << QCursor::pos().y() << [] {
               POINT p;
               GetCursorPos(&p);
               return " (Windows: " + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
           }();
}

// ---- The pen's layer ----

COLORREF screenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

Raster block(QRect r) {
    Raster raster;
    for (int y = r.top(); y <= r.bottom(); ++y)
        raster.pen.push_back({y, r.left(), r.right() + 1});
    return raster;
}

TEST(Win32Ink, AFigureShowsOnTheScreenAndClearingTakesItAway) {
    Win32InkLayer layer;
    const QRect area(200, 150, 120, 60);
    const COLORREF before = screenPixel(260, 180);
    layer.paint(block(area), qRgb(255, 0, 0), qRgb(0, 0, 0), RasterMode::Copy);
    EXPECT_TRUE(eventually([] { return screenPixel(260, 180) == RGB(255, 0, 0); }))
        << std::hex << "shows 0x" << screenPixel(260, 180);
    EXPECT_TRUE(IsWindowVisible(layer.window()));
    EXPECT_EQ(screenPixel(area.right() + 5, 180), before) << "beside the figure: the screen";

    layer.clear();
    EXPECT_TRUE(eventually([&] { return screenPixel(260, 180) == before; }));
    EXPECT_FALSE(IsWindowVisible(layer.window()));
}

TEST(Win32Ink, ARubberBandPaintedTwiceLeavesNothing) {
    Win32InkLayer layer;
    const Raster band = block(QRect(400, 300, 80, 40));
    layer.paint(band, qRgb(0, 0, 255), qRgb(0, 0, 0), RasterMode::NotXor);
    settle(100);
    EXPECT_TRUE(layer.hasStrokes());
    layer.paint(band, qRgb(0, 0, 255), qRgb(0, 0, 0), RasterMode::NotXor);
    settle(100);
    EXPECT_FALSE(layer.hasStrokes());
}

// ---- Task bar ----

TEST(Win32Shell, WindowsKeptOffTheTaskbarAreToolWindows) {
    Win32DesktopShell shell;
    QWidget kept;
    QWidget listed;
    shell.keepOffTaskbar(kept);
    kept.show();
    listed.show();
    const auto exStyle = [](QWidget& w) { return GetWindowLongPtrW(HWND(w.winId()), GWL_EXSTYLE); };
    EXPECT_TRUE(exStyle(kept) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle(kept) & WS_EX_APPWINDOW);
    EXPECT_FALSE(exStyle(listed) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(shell.standardErrorSeen());
}

// ---- One copy per session ----

TEST(Win32Start, ASecondCopyIsToldThatOneRunsUntilTheFirstEnds) {
    auto first = std::make_unique<Win32ProgramStart>();
    ASSERT_TRUE(first->claimSession());
    Win32ProgramStart second;
    EXPECT_FALSE(second.claimSession());
    first.reset();
    EXPECT_TRUE(second.claimSession());
}

} // namespace
} // namespace kerulo

// The layer works on native windows: the toolkit runs on its Windows platform here, whatever
// the environment says.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "windows");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
