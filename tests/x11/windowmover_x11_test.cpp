// Moving a window with one configure request on a real X server, at whole and fractional scale
// factors (QT_SCALE_FACTOR, one factor per run): the server puts the window where the toolkit's
// own move would, the toolkit knows the new place without asking and hears nothing of the moves,
// and what is done to the window afterwards (a resize, hiding and showing, the toolkit's own
// move) starts from there; once the window is hidden the toolkit hears of it again.
#include "e2e/e2esession.h"
#include "e2e/xdisplay.h"
#include "x11/ondesktopmain.h"
#include "platform/x11/x11windowmover.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cmath>
#include <memory>

namespace kerulo::e2e {
namespace {

VirtualDesktop* desktop = nullptr;

double scale() {
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    return factor > 0 ? factor : 1.0;
}

/// Where the toolkit puts a window at `logical` on the screen, in device pixels.
QPoint devicePixels(QPoint logical) {
    return QPoint(int(std::lround(logical.x() * scale())), int(std::lround(logical.y() * scale())));
}

/// Counts the server's notices of a window's place that reach the toolkit.
class ConfigureNotices : public QAbstractNativeEventFilter {
public:
    explicit ConfigureNotices(WId window) : m_window(std::uint32_t(window)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~ConfigureNotices() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY &&
            static_cast<const xcb_configure_notify_event_t*>(message)->window == m_window)
            ++count;
        return false;
    }
    int count = 0;

private:
    std::uint32_t m_window;
};

class X11WindowMoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        x = std::make_unique<XDisplay>(desktop->display());
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                              Qt::X11BypassWindowManagerHint);
        window.setGeometry(40, 40, 64, 48);
        window.show();
        ASSERT_TRUE(settle([&] { return placeOnServer() == devicePixels({40, 40}); }));
    }

    QPoint placeOnServer() const {
        const std::optional<XWindowInfo> info = x->info(window.winId());
        return info ? info->geometry.topLeft() : QPoint(-9999, -9999);
    }

    /// Runs the event loop until `done` holds or two seconds have passed.
    template <typename Done> bool settle(Done done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        return done();
    }

    std::unique_ptr<XDisplay> x;
    X11WindowMover mover;
    QWidget window;
};

TEST_F(X11WindowMoverTest, PutsTheWindowWhereTheToolkitWouldAndTheToolkitKnowsIt) {
    // Many moves before the server's confirmations come back, as a fast pointer makes them.
    const QPoint places[] = {{41, 40}, {300, 200}, {301, 203}, {0, 0}, {517, 333}, {123, 45}};
    for (const QPoint p : places) {
        mover.move(window, p);
        EXPECT_EQ(window.pos(), p) << "known at once";
    }
    EXPECT_TRUE(settle([&] { return placeOnServer() == devicePixels({123, 45}); }))
        << "on the server at " << placeOnServer().x() << "," << placeOnServer().y();
    EXPECT_EQ(window.pos(), QPoint(123, 45));
    EXPECT_EQ(window.windowHandle()->geometry().topLeft(), QPoint(123, 45));
}

TEST_F(X11WindowMoverTest, TheToolkitHearsNothingOfTheMoves) {
    mover.move(window, {60, 60});
    ASSERT_TRUE(settle([&] { return placeOnServer() == devicePixels({60, 60}); }));
    ConfigureNotices notices(window.winId());
    for (int i = 1; i <= 20; ++i)
        mover.move(window, {60 + i * 5, 60 + i * 3});
    ASSERT_TRUE(settle([&] { return placeOnServer() == devicePixels({160, 120}); }));
    EXPECT_EQ(notices.count, 0);
}

TEST_F(X11WindowMoverTest, WhatTheToolkitDoesAfterwardsStartsFromTheNewPlace) {
    mover.move(window, {200, 150});
    ASSERT_TRUE(settle([&] { return placeOnServer() == devicePixels({200, 150}); }));

    mover.resize(window, {80, 60});
    EXPECT_TRUE(settle([&] {
        const std::optional<XWindowInfo> info = x->info(window.winId());
        return info && info->geometry.width() == int(std::lround(80 * scale()));
    }));
    EXPECT_TRUE(settle([&] { return window.windowHandle()->geometry().size() == QSize(80, 60); }))
        << "the toolkit completes the resize";
    EXPECT_EQ(placeOnServer(), devicePixels({200, 150})) << "a resize keeps the place";
    mover.move(window, {210, 150}); // moving again after the resize
    EXPECT_TRUE(settle([&] { return placeOnServer() == devicePixels({210, 150}); }));
    EXPECT_EQ(window.windowHandle()->geometry(), QRect(210, 150, 80, 60));

    window.hide();
    mover.move(window, {250, 100}); // hidden: taken for the next showing
    window.show();
    EXPECT_TRUE(settle([&] { return placeOnServer() == devicePixels({250, 100}); }));
    EXPECT_EQ(window.pos(), QPoint(250, 100));

    window.move(10, 20);
    EXPECT_TRUE(settle([&] { return placeOnServer() == devicePixels({10, 20}); }));
    mover.move(window, {10, 20}); // already there: nothing to do
    mover.move(window, {11, 20});
    EXPECT_TRUE(settle([&] { return placeOnServer() == devicePixels({11, 20}); }));
    EXPECT_EQ(window.pos(), QPoint(11, 20));
}

TEST_F(X11WindowMoverTest, OnceHiddenTheToolkitHearsOfTheWindowAgain) {
    mover.move(window, {100, 100});
    ASSERT_TRUE(settle([&] { return placeOnServer() == devicePixels({100, 100}); }));
    window.hide();
    EXPECT_TRUE(settle([&] { return !window.windowHandle()->isExposed(); }))
        << "the unmapping was heard";
    // Another client moves the hidden window: the toolkit must hear of it, as without the mover.
    x->moveWindow(window.winId(), devicePixels({300, 310}));
    EXPECT_TRUE(settle([&] { return window.pos() == QPoint(300, 310); }))
        << "the toolkit has it at " << window.pos().x() << "," << window.pos().y();
    window.show();
    EXPECT_TRUE(settle([&] { return window.windowHandle()->isExposed(); }));
    mover.move(window, {320, 330});
    EXPECT_TRUE(settle([&] { return placeOnServer() == devicePixels({320, 330}); }));
}

} // namespace
} // namespace kerulo::e2e

int main(int argc, char** argv) {
    return kerulo::e2e::runTestsOnVirtualDesktop<QApplication>(argc, argv, kerulo::e2e::desktop);
}
