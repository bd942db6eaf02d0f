#include "pen/toolboxwatch.h"

#include "store/caseprinting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <ostream>

using kerulo::ToolboxWatch;
using Decision = ToolboxWatch::Decision;

namespace kerulo {
// Readable failures instead of raw bytes.
void PrintTo(Decision decision, std::ostream* out) {
    switch (decision) {
    case Decision::HideSurface:
        *out << "HideSurface";
        return;
    case Decision::ShowSurface:
        *out << "ShowSurface";
        return;
    case Decision::Nothing:
        *out << "Nothing";
        return;
    case Decision::Wait:
        *out << "Wait";
        return;
    }
    *out << "Decision(" << int(decision) << ")";
}
} // namespace kerulo

namespace {

using kerulo::test::operator<<;

// The toolbox where it is created on a 1920-pixel screen: L = 1790, T = 10, W = 112, H = 255,
// so L + W = 1902 and T + H = 265.
const QRect Toolbox(1790, 10, 112, 255);

enum Flag : unsigned {
    ToolboxVisible = 1,
    DrawingEnabled = 2,
    SurfaceVisible = 4,
    StrokeActive = 8,
};

// The pen on and drawing, surface up: the usual state.
constexpr unsigned Drawing = ToolboxVisible | DrawingEnabled | SurfaceVisible;
// Drawing on, the surface hidden because the pointer was on the toolbox.
constexpr unsigned DrawingAway = ToolboxVisible | DrawingEnabled;
// Drawing stopped, pen still open.
constexpr unsigned Stopped = ToolboxVisible;

struct WatchCase {
    const char* what;
    QPoint pointer;
    unsigned flags;
    Decision expected;
    QRect toolbox = Toolbox;
};

ToolboxWatch::Situation situation(const WatchCase& c) {
    ToolboxWatch::Situation s;
    s.toolbox = c.toolbox;
    s.toolboxVisible = (c.flags & ToolboxVisible) != 0;
    s.drawingEnabled = (c.flags & DrawingEnabled) != 0;
    s.surfaceVisible = (c.flags & SurfaceVisible) != 0;
    s.strokeActive = (c.flags & StrokeActive) != 0;
    return s;
}

const WatchCase Cases[] = {
    // Inside the toolbox.
    {"inside hides the surface", {1850, 100}, Drawing, Decision::HideSurface},
    {"inside, just within the top left corner", {1791, 11}, Drawing, Decision::HideSurface},
    {"inside, just within the bottom right corner", {1901, 264}, Drawing, Decision::HideSurface},
    {"inside, surface already hidden", {1850, 100}, DrawingAway, Decision::Nothing},

    // Above and below, inside the column: the surface keeps its state.
    {"above in the column, surface hidden", {1850, 5}, DrawingAway, Decision::Nothing},
    {"below in the column, surface hidden", {1850, 600}, DrawingAway, Decision::Nothing},
    {"below in the column, surface visible", {1850, 600}, Drawing, Decision::Nothing},
    {"far below, just within the column's left", {1791, 1000}, DrawingAway, Decision::Nothing},
    {"far below, just within the column's right", {1901, 1000}, DrawingAway, Decision::Nothing},

    // Exactly on the frame's edges.
    {"on the top edge", {1850, 10}, DrawingAway, Decision::Nothing},
    {"on the top edge, surface visible", {1850, 10}, Drawing, Decision::Nothing},
    {"on the bottom edge T+H", {1850, 265}, Drawing, Decision::Nothing},
    {"on the bottom edge T+H, surface hidden", {1850, 265}, DrawingAway, Decision::Nothing},
    {"on the left edge X = L", {1790, 100}, DrawingAway, Decision::ShowSurface},
    {"on the right edge X = L+W", {1902, 100}, DrawingAway, Decision::ShowSurface},
    {"on the left edge, surface visible", {1790, 100}, Drawing, Decision::Nothing},
    {"one inside the right edge", {1901, 100}, Drawing, Decision::HideSurface},
    {"on the top left corner", {1790, 10}, DrawingAway, Decision::ShowSurface},

    // Left and right of the column.
    {"left of the toolbox shows the surface", {1000, 100}, DrawingAway, Decision::ShowSurface},
    {"right of the toolbox shows the surface", {1910, 100}, DrawingAway, Decision::ShowSurface},
    {"left and far below", {0, 1079}, DrawingAway, Decision::ShowSurface},
    {"left, surface already visible", {1000, 100}, Drawing, Decision::Nothing},

    // Drawing stopped.
    {"stopped, left: the surface stays hidden", {1000, 100}, Stopped, Decision::Nothing},
    {"stopped, right: the surface stays hidden", {1910, 100}, Stopped, Decision::Nothing},
    {"stopped, below in the column", {1850, 600}, Stopped | SurfaceVisible, Decision::Nothing},
    {"stopped, inside, surface hidden", {1850, 100}, Stopped, Decision::Nothing},

    // The pen opened while stopped: the surface is up in front of the toolbox and must make way.
    {"stopped, inside, surface visible",
     {1850, 100},
     Stopped | SurfaceVisible,
     Decision::HideSurface},
    {"stopped, on the left edge, surface visible",
     {1790, 100},
     Stopped | SurfaceVisible,
     Decision::Nothing},
    {"stopped, left of it, surface visible",
     {1000, 100},
     Stopped | SurfaceVisible,
     Decision::Nothing},

    // The toolbox hidden: the pen is off.
    {"toolbox hidden, left: the surface is not shown",
     {1000, 100},
     DrawingEnabled,
     Decision::Nothing},
    {"toolbox hidden, right", {1910, 100}, DrawingEnabled, Decision::Nothing},
    {"toolbox hidden, inside its place, surface hidden",
     {1850, 100},
     DrawingEnabled,
     Decision::Nothing},
    {"toolbox hidden, inside its place, surface visible",
     {1850, 100},
     DrawingEnabled | SurfaceVisible,
     Decision::HideSurface},
    {"toolbox hidden, stopped, inside its place", {1850, 100}, SurfaceVisible, Decision::Nothing},
    {"pen off, stopped, left", {1000, 100}, 0, Decision::Nothing},

    // A drag across the toolbox: while the button is held a due change waits for the release.
    {"stroke entering the toolbox", {1850, 100}, Drawing | StrokeActive, Decision::Wait},
    {"stroke inside the column below", {1850, 600}, Drawing | StrokeActive, Decision::Nothing},
    {"stroke left of the toolbox", {1000, 100}, Drawing | StrokeActive, Decision::Nothing},
    {"stroke inside while stopped",
     {1850, 100},
     Stopped | SurfaceVisible | StrokeActive,
     Decision::Wait},
    {"released inside the toolbox", {1850, 100}, Drawing, Decision::HideSurface},
    {"stroke, surface hidden, pointer left",
     {1000, 100},
     DrawingAway | StrokeActive,
     Decision::Wait},

    // The toolbox after being dragged elsewhere: the watch follows its frame.
    {"dragged toolbox, inside", {150, 550}, Drawing, Decision::HideSurface, {100, 500, 112, 255}},
    {"dragged toolbox, old place now outside",
     {1850, 100},
     DrawingAway,
     Decision::ShowSurface,
     {100, 500, 112, 255}},
    {"dragged toolbox, above it in its column",
     {150, 100},
     DrawingAway,
     Decision::Nothing,
     {100, 500, 112, 255}},
    {"toolbox partly off the left of the screen, inside",
     {-5, 100},
     Drawing,
     Decision::HideSurface,
     {-50, 10, 112, 255}},
    {"toolbox partly off the left of the screen, on L",
     {-50, 100},
     DrawingAway,
     Decision::ShowSurface,
     {-50, 10, 112, 255}},
};

class ToolboxWatchTable : public ::testing::TestWithParam<WatchCase> {};

TEST_P(ToolboxWatchTable, DecidesAsTheRulesSay) {
    const WatchCase& c = GetParam();
    EXPECT_EQ(ToolboxWatch::decide(c.pointer, situation(c)), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, ToolboxWatchTable, ::testing::ValuesIn(Cases),
                         [](const auto& info) {
                             return kerulo::test::caseName(info.param.what, info.index);
                         });

// A whole drag as the surface would report it: the button goes down left of the toolbox, the
// pointer crosses the toolbox, and the button comes up on it. Nothing may change before the
// release; the release itself then hides the surface.
TEST(ToolboxWatch, DragAcrossTheToolboxDecidesAtTheRelease) {
    ToolboxWatch::Situation s;
    s.toolbox = Toolbox;
    s.toolboxVisible = true;
    s.drawingEnabled = true;
    s.surfaceVisible = true;
    s.strokeActive = true;
    bool waiting = false;
    for (int x = 1700; x <= 1850; x += 10) {
        const Decision d = ToolboxWatch::decide({x, 100}, s);
        EXPECT_TRUE(d == Decision::Nothing || d == Decision::Wait) << "at x = " << x;
        waiting = waiting || d == Decision::Wait;
    }
    EXPECT_TRUE(waiting);
    s.strokeActive = false;
    EXPECT_EQ(ToolboxWatch::decide({1850, 100}, s), Decision::HideSurface);
}

} // namespace
