#include "platform/fake/fakepenscreen.h"

#include "pen/penstroke.h"
#include "pen/screencanvas.h"

#include <gtest/gtest.h>

#include <vector>

namespace kerulo {
namespace {

TEST(FakePenScreen, StartsWithTheInputItWasGivenAndCountsStartsAndStops) {
    FakePenScreen screen;
    EXPECT_EQ(screen.start(), PenScreen::Input::Veil);
    screen.setInput(PenScreen::Input::Surface);
    EXPECT_EQ(screen.start(), PenScreen::Input::Surface);
    screen.stop();
    EXPECT_EQ(screen.starts(), 2);
    EXPECT_EQ(screen.stops(), 1);
    EXPECT_EQ(screen.scale(), 1);
    screen.setScale(2);
    EXPECT_EQ(screen.scale(), 2);
}

TEST(FakePenScreen, TheMouseOnTheSurfaceComesOutAsSignals) {
    FakePenScreen screen;
    std::vector<std::pair<char, QPoint>> events;
    QObject::connect(&screen, &PenScreen::pressed, [&](QPoint p) { events.push_back({'p', p}); });
    QObject::connect(&screen, &PenScreen::moved, [&](QPoint p) { events.push_back({'m', p}); });
    QObject::connect(&screen, &PenScreen::released, [&](QPoint p) { events.push_back({'r', p}); });
    screen.press({1, 2});
    screen.move({3, 4});
    screen.release({5, 6});
    const std::vector<std::pair<char, QPoint>> expected = {
        {'p', {1, 2}}, {'m', {3, 4}}, {'r', {5, 6}}};
    EXPECT_EQ(events, expected);
}

TEST(FakePenScreen, ARepaintOfTheDesktopClearsEveryFigure) {
    FakePenScreen screen(QSize(40, 30));
    QImage desktop(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            desktop.setPixel(x, y, qRgb(x * 6, y * 8, 90));
    screen.setDesktop(desktop);
    EXPECT_EQ(screen.image(), desktop);

    // Strokes drawn through the surface's signals, as the pen window wires them.
    ScreenCanvas canvas(screen);
    canvas.setPenColour(qRgb(255, 0, 0));
    canvas.setPenWidth(3);
    PenStroke stroke(canvas);
    QObject::connect(&screen, &PenScreen::pressed, [&](QPoint p) { stroke.press(p); });
    QObject::connect(&screen, &PenScreen::moved, [&](QPoint p) { stroke.move(p); });
    QObject::connect(&screen, &PenScreen::released, [&](QPoint p) { stroke.release(p); });
    stroke.setTool(PenStroke::Rectangle);
    screen.press({5, 5});
    screen.move({20, 20});
    screen.release({30, 25});
    EXPECT_NE(screen.image(), desktop);
    EXPECT_EQ(screen.painter().paintCount(), 3);
    EXPECT_EQ(screen.image().pixel(30 - 1, 25 - 1), qRgb(255, 0, 0));

    screen.repaintDesktop();
    EXPECT_EQ(screen.repaints(), 1);
    EXPECT_EQ(screen.image(), desktop);
}

TEST(FakePenScreen, APlainDesktopFillsTheScreen) {
    FakePenScreen screen(QSize(8, 6));
    screen.setDesktop(qRgb(10, 20, 30));
    EXPECT_EQ(screen.image().size(), QSize(8, 6));
    EXPECT_EQ(screen.image().pixel(7, 5), qRgb(10, 20, 30));
}

} // namespace
} // namespace kerulo
