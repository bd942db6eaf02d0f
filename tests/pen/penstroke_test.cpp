#include "pen/penstroke.h"

#include "pen/figurerasterizer.h"
#include "pen/screencanvas.h"
#include "platform/fake/imagepainter.h"
#include "rastertesting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace kerulo {
namespace {

using test::caseName;
using test::difference;
using test::noise;
using test::PixelSet;

constexpr QRgb Orange = 0xFFFF8000u;
constexpr QRgb Teal = 0xFF20C0A0u;

struct PenSetup {
    int width = 1;
    PenStyle style = PenStyle::Solid;
    BrushStyle brush = BrushStyle::Solid;
};

void configure(ScreenCanvas& canvas, const PenSetup& setup) {
    canvas.setPenColour(Orange);
    canvas.setBrushColour(Teal);
    canvas.setPenWidth(setup.width);
    canvas.setPenStyle(setup.style);
    canvas.setBrushStyle(setup.brush);
}

/// A noisy screen with a canvas and a stroke on it, and a second screen of the same start on
/// which the test paints what it expects.
struct Bench {
    explicit Bench(const PenSetup& setup = {})
        : background(noise(QSize(90, 70), 3)), canvas(painter), expectedCanvas(expectedPainter),
          stroke(canvas) {
        painter.setImage(background);
        expectedPainter.setImage(background);
        configure(canvas, setup);
        configure(expectedCanvas, setup);
    }

    /// Paints on the expected screen the figure a tool gives from a to b.
    void expectFigure(int tool, QPoint a, QPoint b, RasterMode mode) {
        expectedCanvas.setRasterMode(mode);
        switch (tool) {
        case PenStroke::Line:
            expectedCanvas.moveTo(a);
            expectedCanvas.lineTo(b);
            break;
        case PenStroke::Rectangle:
            expectedCanvas.rectangle(a, b);
            break;
        case PenStroke::Ellipse:
            expectedCanvas.ellipse(a, b);
            break;
        case PenStroke::RoundRect:
            expectedCanvas.roundRect(a, b, (a.x() - b.x()) / 2, (a.y() - b.y()) / 2);
            break;
        default:
            FAIL() << "no figure for tool " << tool;
        }
    }
    /// The expected screen: the start with nothing on it.
    void expectNothing() { expectedPainter.setImage(background); }

    ::testing::AssertionResult screenAsExpected() const {
        const PixelSet wrong = difference(painter.image(), expectedPainter.image());
        if (wrong.empty())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << wrong.size() << " pixels differ, first at " << wrong.begin()->first << ","
               << wrong.begin()->second;
    }

    QImage background;
    ImagePainter painter;
    ImagePainter expectedPainter;
    ScreenCanvas canvas;
    ScreenCanvas expectedCanvas;
    PenStroke stroke;
};

TEST(PenStroke, StartsIdleWithTheFreehandPen) {
    ImagePainter painter;
    ScreenCanvas canvas(painter);
    const PenStroke stroke(canvas);
    EXPECT_EQ(stroke.tool(), PenStroke::Freehand);
    EXPECT_FALSE(stroke.active());
}

const PenSetup Setups[] = {
    {1, PenStyle::Solid, BrushStyle::Solid},           {5, PenStyle::Solid, BrushStyle::Solid},
    {1, PenStyle::DashDot, BrushStyle::Cross},         {2, PenStyle::Dot, BrushStyle::Hollow},
    {5, PenStyle::Dash, BrushStyle::BackwardDiagonal},
};

std::string describe(const PenSetup& s) {
    return "width " + std::to_string(s.width) + " pen " + std::to_string(int(s.style)) + " brush " +
           std::to_string(int(s.brush));
}

// A figure is done at each release, after its last paint, and at no other time.
TEST(PenStroke, EachReleaseMakesOneFigureDoneAfterItsLastPaint) {
    for (int tool : {PenStroke::Freehand, PenStroke::Line, PenStroke::Rectangle,
                     PenStroke::Ellipse, PenStroke::RoundRect}) {
        SCOPED_TRACE("tool " + std::to_string(tool));
        Bench bench;
        bench.stroke.setTool(tool);
        bench.stroke.release({9, 9});
        bench.stroke.press({5, 5});
        bench.stroke.move({30, 20});
        bench.stroke.move({40, 30});
        EXPECT_TRUE(bench.painter.figuresDone().empty()) << "done before the release";
        bench.stroke.release({45, 35});
        EXPECT_EQ(bench.painter.figuresDone(), std::vector<int>{bench.painter.paintCount()});
        bench.stroke.move({50, 40});
        bench.stroke.release({50, 40});
        EXPECT_EQ(bench.painter.figuresDone().size(), 1u) << "a release without a press";
    }
}

// ---- Freehand ----

TEST(PenStroke, FreehandIsPaintedForGoodWhileMoving) {
    const std::vector<QPoint> moves = {{20, 5}, {21, 5}, {20, 25}, {3, 40}, {3, 40}};
    for (const PenSetup& setup : Setups) {
        SCOPED_TRACE(describe(setup));
        Bench bench(setup);
        bench.stroke.press({5, 5});
        EXPECT_TRUE(bench.stroke.active());
        EXPECT_EQ(bench.painter.paintCount(), 0);
        bench.expectedCanvas.moveTo({5, 5});
        for (QPoint p : moves) {
            bench.stroke.move(p);
            bench.expectedCanvas.lineTo(p);
            EXPECT_TRUE(bench.screenAsExpected()) << "after the move to " << p.x() << "," << p.y();
            EXPECT_EQ(bench.canvas.currentPosition(), p);
        }
        bench.stroke.release({10, 50});
        bench.expectedCanvas.lineTo({10, 50});
        EXPECT_TRUE(bench.screenAsExpected());
        EXPECT_FALSE(bench.stroke.active());
        // One paint per segment, no line of no length before each; the repeated move point is
        // a segment of no length, which only a wide pen paints (as a dot).
        const int paints = int(moves.size()) + 1 - (setup.width > 1 ? 0 : 1);
        EXPECT_EQ(bench.painter.paintCount(), paints);
    }
}

TEST(PenStroke, FreehandPaintsInCopyModeWhateverModeIsAsked) {
    Bench bench;
    bench.canvas.moveTo({5, 5});
    bench.stroke.paintFigure({0, 0}, {30, 5}, RasterMode::NotXor);
    EXPECT_EQ(bench.canvas.rasterMode(), RasterMode::Copy);
    for (int x = 5; x < 30; ++x)
        EXPECT_EQ(bench.painter.image().pixel(x, 5), Orange) << x;
    EXPECT_EQ(bench.canvas.currentPosition(), QPoint(30, 5));
}

// ---- The rubber band ----

struct BandCase {
    int tool;
    PenSetup setup;
};

std::vector<BandCase> bandCases() {
    std::vector<BandCase> cases;
    for (int tool :
         {PenStroke::Line, PenStroke::Rectangle, PenStroke::Ellipse, PenStroke::RoundRect})
        for (const PenSetup& setup : Setups)
            cases.push_back({tool, setup});
    return cases;
}

void PrintTo(const BandCase& c, std::ostream* os) {
    *os << "tool " << c.tool << " " << describe(c.setup);
}

class BandTable : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandTable, TheBandFollowsThePointerAndOnlyTheFinalFigureStays) {
    const BandCase& c = GetParam();
    Bench bench(c.setup);
    bench.stroke.setTool(c.tool);
    const QPoint anchor(30, 25);
    bench.stroke.press(anchor);
    EXPECT_TRUE(bench.screenAsExpected()) << "a press paints nothing";
    for (QPoint p : {QPoint(31, 25), QPoint(70, 60), QPoint(70, 60), QPoint(4, 3), QPoint(30, 25),
                     QPoint(55, 9)}) {
        bench.stroke.move(p);
        bench.expectNothing();
        bench.expectFigure(c.tool, anchor, p, RasterMode::NotXor);
        EXPECT_TRUE(bench.screenAsExpected()) << "band to " << p.x() << "," << p.y();
    }
    bench.stroke.release({62, 48});
    bench.expectNothing();
    bench.expectFigure(c.tool, anchor, {62, 48}, RasterMode::Copy);
    EXPECT_TRUE(bench.screenAsExpected()) << "the final figure alone";
    EXPECT_FALSE(bench.stroke.active());
}

TEST_P(BandTable, APressAndAReleaseAtOnePointPaintTheFigureOfNoSize) {
    const BandCase& c = GetParam();
    Bench bench(c.setup);
    bench.stroke.setTool(c.tool);
    bench.stroke.press({40, 30});
    bench.stroke.release({40, 30});
    bench.expectFigure(c.tool, {40, 30}, {40, 30}, RasterMode::Copy);
    EXPECT_TRUE(bench.screenAsExpected());
    // A line of no length is a dot with a wide pen and nothing at width 1; closed figures of no
    // size are nothing.
    const bool dot = c.tool == PenStroke::Line && c.setup.width > 1;
    EXPECT_EQ(bench.painter.image() != bench.background, dot);
}

INSTANTIATE_TEST_SUITE_P(Tools, BandTable, ::testing::ValuesIn(bandCases()), [](const auto& info) {
    return caseName("tool " + std::to_string(info.param.tool) + " " + describe(info.param.setup),
                    info.index);
});

TEST(PenStroke, TheFirstMoveLeavesNoMarkAtThePressPoint) {
    // A wide line of no length is a dot: removing one that was never painted would leave it.
    Bench bench({5, PenStyle::Solid, BrushStyle::Solid});
    bench.stroke.setTool(PenStroke::Line);
    bench.stroke.press({20, 20});
    bench.stroke.move({50, 20});
    bench.expectFigure(PenStroke::Line, {20, 20}, {50, 20}, RasterMode::NotXor);
    EXPECT_TRUE(bench.screenAsExpected());
    EXPECT_EQ(bench.painter.paintCount(), 1);
    bench.stroke.move({50, 40});
    EXPECT_EQ(bench.painter.paintCount(), 3) << "the old band off, the new one on";
}

TEST(PenStroke, ChangingTheToolMidStrokeGoesOnWithTheNewTool) {
    Bench bench({5, PenStyle::Solid, BrushStyle::Solid});
    const QPoint anchor(15, 12);
    bench.stroke.setTool(PenStroke::Rectangle);
    bench.stroke.press(anchor);
    bench.stroke.move({60, 50});
    bench.stroke.setTool(PenStroke::Ellipse);
    bench.stroke.move({70, 55});
    bench.expectFigure(PenStroke::Ellipse, anchor, {70, 55}, RasterMode::NotXor);
    EXPECT_TRUE(bench.screenAsExpected()) << "the rectangle band is gone";
    // Between the last move and the release: the ellipse band goes, the rounded one stays.
    bench.stroke.setTool(PenStroke::RoundRect);
    bench.stroke.release({66, 40});
    bench.expectNothing();
    bench.expectFigure(PenStroke::RoundRect, anchor, {66, 40}, RasterMode::Copy);
    EXPECT_TRUE(bench.screenAsExpected());
}

TEST(PenStroke, ChangingToFreehandMidStrokeDrawsOnFromTheCurrentPosition) {
    Bench bench;
    bench.stroke.setTool(PenStroke::Ellipse);
    bench.stroke.press({10, 10});
    bench.stroke.move({60, 50});
    bench.stroke.setTool(PenStroke::Freehand);
    bench.stroke.move({40, 20});
    bench.stroke.release({45, 60});
    bench.expectedCanvas.moveTo({10, 10});
    bench.expectedCanvas.lineTo({40, 20});
    bench.expectedCanvas.lineTo({45, 60});
    EXPECT_TRUE(bench.screenAsExpected());
}

TEST(PenStroke, ChangingToAnUnknownToolMidStrokeTakesTheBandAway) {
    Bench bench;
    bench.stroke.setTool(PenStroke::Line);
    bench.stroke.press({10, 10});
    bench.stroke.move({60, 50});
    bench.stroke.setTool(9);
    bench.stroke.move({40, 20});
    EXPECT_TRUE(bench.screenAsExpected());
    bench.stroke.release({45, 60});
    EXPECT_TRUE(bench.screenAsExpected());
    EXPECT_FALSE(bench.stroke.active());
}

TEST(PenStroke, ASecondPressStartsOverWithoutLeavingTheFirstBand) {
    Bench bench;
    bench.stroke.setTool(PenStroke::Rectangle);
    bench.stroke.press({10, 10});
    bench.stroke.move({60, 50});
    bench.stroke.press({20, 30});
    EXPECT_TRUE(bench.screenAsExpected());
    bench.stroke.move({50, 60});
    bench.stroke.release({50, 60});
    bench.expectFigure(PenStroke::Rectangle, {20, 30}, {50, 60}, RasterMode::Copy);
    EXPECT_TRUE(bench.screenAsExpected());
}

TEST(PenStroke, MovesAndReleasesWithoutAPressAreIgnored) {
    for (int tool : {PenStroke::Freehand, PenStroke::Line, PenStroke::Rectangle}) {
        SCOPED_TRACE("tool " + std::to_string(tool));
        Bench bench({5, PenStyle::Solid, BrushStyle::Solid});
        bench.stroke.setTool(tool);
        bench.stroke.move({30, 30});
        bench.stroke.release({40, 40});
        EXPECT_FALSE(bench.stroke.active());
        EXPECT_EQ(bench.painter.paintCount(), 0);
        // And after a finished stroke.
        bench.stroke.press({10, 10});
        bench.stroke.release({20, 20});
        const int paints = bench.painter.paintCount();
        bench.stroke.move({50, 50});
        bench.stroke.release({60, 60});
        EXPECT_EQ(bench.painter.paintCount(), paints);
    }
}

TEST(PenStroke, UnknownToolsPaintNothing) {
    for (int tool : {5, 6, -1, 255}) {
        SCOPED_TRACE("tool " + std::to_string(tool));
        Bench bench({5, PenStyle::Solid, BrushStyle::Solid});
        bench.stroke.setTool(tool);
        EXPECT_EQ(bench.stroke.tool(), tool);
        bench.stroke.press({10, 10});
        EXPECT_TRUE(bench.stroke.active());
        bench.stroke.move({30, 30});
        bench.stroke.move({40, 35});
        bench.stroke.release({50, 50});
        EXPECT_FALSE(bench.stroke.active());
        EXPECT_EQ(bench.painter.paintCount(), 0);
    }
}

TEST(PenStroke, RoundedCornersAreHalfTheDragTruncatedTowardZero) {
    const struct {
        QPoint anchor;
        QPoint release;
        int cornerWidth; // the truncated half, whose magnitude counts
        int cornerHeight;
        int flooredWidth; // what rounding down would have given
        int flooredHeight;
    } cases[] = {
        {{40, 35}, {55, 56}, -7, -10, -8, -11}, // right and down: negative
        {{40, 35}, {53, 12}, -6, 11, -7, 11},   // right and up
        {{40, 35}, {19, 52}, 10, -8, 10, -9},   // left and down
        {{40, 35}, {17, 6}, 11, 14, 11, 14},    // left and up: positive, truncating rounds down
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.release.x()) + "," + std::to_string(c.release.y()));
        Bench bench;
        bench.stroke.setTool(PenStroke::RoundRect);
        bench.stroke.press(c.anchor);
        bench.stroke.move({40, 40});
        bench.stroke.release(c.release);
        bench.expectedCanvas.roundRect(c.anchor, c.release, c.cornerWidth, c.cornerHeight);
        EXPECT_TRUE(bench.screenAsExpected());
        // Truncating and rounding down give different figures, so the test tells them apart.
        const FigureRasterizer r(PenShape{}, BrushStyle::Solid);
        if (c.cornerWidth != c.flooredWidth || c.cornerHeight != c.flooredHeight) {
            EXPECT_NE(r.roundRect(c.anchor, c.release, c.cornerWidth, c.cornerHeight).pen,
                      r.roundRect(c.anchor, c.release, c.flooredWidth, c.flooredHeight).pen);
        }
    }
}

TEST(PenStroke, PaintFigureSetsTheCanvasModeAndPaintsTheCurrentTool) {
    Bench bench;
    bench.stroke.setTool(PenStroke::Ellipse);
    bench.stroke.paintFigure({5, 6}, {50, 40}, RasterMode::NotXor);
    EXPECT_EQ(bench.canvas.rasterMode(), RasterMode::NotXor);
    bench.expectFigure(PenStroke::Ellipse, {5, 6}, {50, 40}, RasterMode::NotXor);
    EXPECT_TRUE(bench.screenAsExpected());
    bench.stroke.setTool(PenStroke::Line);
    bench.stroke.paintFigure({5, 6}, {50, 40}, RasterMode::Copy);
    EXPECT_EQ(bench.canvas.rasterMode(), RasterMode::Copy);
    EXPECT_EQ(bench.canvas.currentPosition(), QPoint(50, 40));
    bench.expectFigure(PenStroke::Line, {5, 6}, {50, 40}, RasterMode::Copy);
    EXPECT_TRUE(bench.screenAsExpected());
}

} // namespace
} // namespace kerulo
