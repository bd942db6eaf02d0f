// The pointer watch on a real X server, at whole and fractional scale factors (QT_SCALE_FACTOR,
// one per run): motion from a mouse is reported at the toolkit's coordinates of the pointer,
// the last of a fast burst is never lost, and a warp, which sends no motion, is caught by the
// slow check.
#include "e2e/e2esession.h"
#include "e2e/xdisplay.h"
#include "x11/ondesktopmain.h"
#include "platform/x11/x11pointerwatch.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace kerulo::e2e {
namespace {

VirtualDesktop* desktop = nullptr;

double scale() {
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    return factor > 0 ? factor : 1.0;
}

class X11PointerWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        x = std::make_unique<XDisplay>(desktop->display());
        QObject::connect(&watch, &PointerWatch::moved, [this](QPoint p) { reports.push_back(p); });
    }

    /// Runs the event loop until the last report is `expected` or `ms` have passed.
    bool reportedWithin(int ms, QPoint expected) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms && (reports.empty() || reports.back() != expected))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return !reports.empty() && reports.back() == expected;
    }

    /// The toolkit's coordinates of a place on the screen, as the toolkit itself gives them.
    static QPoint logical(int deviceX, int deviceY) {
        return QPoint(int(std::lround(deviceX / scale())), int(std::lround(deviceY / scale())));
    }

    std::unique_ptr<XDisplay> x;
    X11PointerWatch watch;
    std::vector<QPoint> reports;
};

TEST_F(X11PointerWatchTest, ReportsMotionWhereTheToolkitHasThePointer) {
    ASSERT_TRUE(watch.usesRawMotion());
    const QPoint places[] = {{300, 200}, {301, 200}, {997, 613}, {0, 0}, {15, 777}};
    for (const QPoint p : places) {
        x->movePointer(p.x(), p.y());
        EXPECT_TRUE(reportedWithin(2000, QCursor::pos()))
            << "at " << p.x() << "," << p.y() << (reports.empty() ? " nothing reported" : "");
        EXPECT_EQ(reports.back(), logical(p.x(), p.y()));
    }
}

TEST_F(X11PointerWatchTest, TheLastMotionOfAFastBurstIsReportedWithFewerReports) {
    x->movePointer(100, 100);
    ASSERT_TRUE(reportedWithin(2000, logical(100, 100)));
    reports.clear();
    for (int i = 1; i <= 60; ++i) {
        x->movePointerWithoutPause(100 + i * 7, 100 + i * 3);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    EXPECT_TRUE(reportedWithin(2000, logical(100 + 60 * 7, 100 + 60 * 3)));
    EXPECT_LT(reports.size(), 60u) << "a fast mouse's motion is gathered";
}

TEST_F(X11PointerWatchTest, AWarpIsCaughtByTheSlowCheck) {
    x->movePointer(400, 400);
    ASSERT_TRUE(reportedWithin(2000, logical(400, 400)));
    x->warpPointer(640, 480);
    EXPECT_TRUE(reportedWithin(ThrottledPointerWatch::CatchUpInterval * 3, logical(640, 480)));
}

} // namespace
} // namespace kerulo::e2e

int main(int argc, char** argv) {
    return kerulo::e2e::runTestsOnVirtualDesktop<QGuiApplication>(argc, argv, kerulo::e2e::desktop);
}
