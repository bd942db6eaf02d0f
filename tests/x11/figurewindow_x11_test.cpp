// Figures kept in a shaped window of their own on a desktop without a compositor: they show
// over the windows beneath, stay when those redraw, let clicks through, and go when cleared.
#include "e2e/e2esession.h"
#include "e2e/xdisplay.h"
#include "platform/x11/x11figurewindow.h"
#include "x11/ondesktopmain.h"

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <memory>

namespace kerulo::e2e {
namespace {

VirtualDesktop* desktop = nullptr;

constexpr QRgb Beneath = 0xffffff;
constexpr QRgb Pen = 0x2040c0;
constexpr QRgb Brush = 0x10a040;
const QRect Area(100, 100, 400, 300);

Raster box(const QRect& r, Hatch hatch = Hatch::None) {
    Raster out;
    out.hatch = hatch;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (y == r.top() || y == r.bottom()) {
            out.pen.push_back({y, r.left(), r.right() + 1});
            continue;
        }
        out.pen.push_back({y, r.left(), r.left() + 1});
        out.brush.push_back({y, r.left() + 1, r.right()});
        out.pen.push_back({y, r.right(), r.right() + 1});
    }
    return out;
}

class X11FigureWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        x = std::make_unique<XDisplay>(desktop->display());
        beneath = x->createTestWindow(Area, Beneath);
        connection = xcb_connect(desktop->display().c_str(), nullptr);
        ASSERT_EQ(xcb_connection_has_error(connection), 0);
        figures = std::make_unique<X11FigureWindow>(connection);
    }
    void TearDown() override {
        figures.reset();
        xcb_disconnect(connection);
        x->destroyWindow(beneath);
    }
    QRgb shown(int px, int py) {
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        x->sync();
        return x->pixel(px, py) & 0xffffff;
    }

    std::unique_ptr<XDisplay> x;
    unsigned long beneath = 0;
    xcb_connection_t* connection = nullptr;
    std::unique_ptr<X11FigureWindow> figures;
};

TEST_F(X11FigureWindowTest, FiguresStayWhenTheWindowBeneathRedraws) {
    figures->paint(box(QRect(150, 150, 60, 40)), Pen, Brush);
    EXPECT_EQ(shown(150, 160), Pen);
    EXPECT_EQ(shown(170, 170), Brush);
    EXPECT_EQ(shown(300, 300), Beneath) << "the window covers more than the figure";

    x->repaintWindow(beneath);
    EXPECT_EQ(shown(150, 160), Pen);
    EXPECT_EQ(shown(170, 170), Brush);
}

TEST_F(X11FigureWindowTest, ClicksOnAFigureReachTheWindowBeneath) {
    figures->paint(box(QRect(150, 150, 60, 40)), Pen, Brush);
    x->takeButtonPress(beneath);
    x->movePointer(170, 170);
    x->click(1);
    EXPECT_TRUE(x->takeButtonPress(beneath));
}

TEST_F(X11FigureWindowTest, LaterFiguresPaintOverEarlierOnesAndClearingTakesAllAway) {
    figures->paint(box(QRect(150, 150, 60, 40)), Pen, Brush);
    figures->paint(box(QRect(160, 160, 60, 40)), Brush, Pen);
    EXPECT_EQ(shown(160, 170), Brush);
    EXPECT_EQ(shown(180, 180), Pen);
    EXPECT_EQ(shown(152, 152), Brush);

    figures->clear();
    EXPECT_TRUE(figures->empty());
    EXPECT_EQ(shown(152, 152), Beneath);
    EXPECT_EQ(shown(180, 180), Beneath);
    figures->paint(box(QRect(300, 300, 20, 20)), Pen, Brush);
    EXPECT_EQ(shown(300, 305), Pen);
    EXPECT_EQ(shown(180, 180), Beneath) << "a cleared figure came back";
}

// Between a hatch's lines the window keeps what was beneath when the figure was painted.
TEST_F(X11FigureWindowTest, AHatchedBrushKeepsWhatWasBeneathBetweenItsLines) {
    figures->paint(box(QRect(150, 150, 60, 40), Hatch::Horizontal), Pen, Brush);
    EXPECT_EQ(shown(170, 160), Brush) << "row 160 lies on a line";
    EXPECT_EQ(shown(170, 163), Beneath);
    x->repaintWindow(beneath);
    EXPECT_EQ(shown(170, 160), Brush);
    EXPECT_EQ(shown(170, 163), Beneath);
    x->grab(Area).save(screenshotPath(QStringLiteral("figure-window-hatched")));
}

} // namespace
} // namespace kerulo::e2e

int main(int argc, char** argv) {
    return kerulo::e2e::runTestsOnVirtualDesktop<QGuiApplication>(argc, argv, kerulo::e2e::desktop);
}
