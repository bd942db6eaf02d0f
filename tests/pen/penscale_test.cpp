// The pen's sizes on displays scaled by whole and fractional factors: the numbers themselves,
// and the figures the rasterizer makes with them.
#include "pen/figurerasterizer.h"
#include "pen/penscale.h"
#include "rastertesting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

namespace kerulo {
namespace {

struct FactorCase {
    const char* name;
    double factor;
    // Screen pixels of a pen 1, 2, 3, 5 and 12 logical pixels wide.
    int width1, width2, width3, width5, width12;
    // Screen pixels of the dot pattern's 3 and the dash pattern's 18 and 6.
    int dot, dash, gap;
    int hatchCell;
};

const FactorCase Factors[] = {
    {"unscaled", 1, 1, 2, 3, 5, 12, 3, 18, 6, 1},
    {"scaled by 1.25", 1.25, 1, 3, 4, 6, 15, 4, 23, 8, 1},
    {"scaled by 1.5", 1.5, 2, 3, 5, 8, 18, 5, 27, 9, 2},
    {"scaled by 2", 2, 2, 4, 6, 10, 24, 6, 36, 12, 2},
    {"scaled by 1.75", 1.75, 2, 4, 5, 9, 21, 5, 32, 11, 2},
    {"scaled by 3", 3, 3, 6, 9, 15, 36, 9, 54, 18, 3},
};

void PrintTo(const FactorCase& c, std::ostream* out) {
    *out << c.name;
}

class PenAtFactor : public ::testing::TestWithParam<FactorCase> {};

TEST_P(PenAtFactor, SizesAreTheNearestWholeScreenPixels) {
    const FactorCase& c = GetParam();
    const PenScale scale(c.factor);
    EXPECT_EQ(scale.pixels(1), c.width1);
    EXPECT_EQ(scale.pixels(2), c.width2);
    EXPECT_EQ(scale.pixels(3), c.width3);
    EXPECT_EQ(scale.pixels(5), c.width5);
    EXPECT_EQ(scale.pixels(12), c.width12);
    EXPECT_EQ(scale.pixels(18), c.dash);
    EXPECT_EQ(scale.pixels(6), c.gap);
    EXPECT_EQ(scale.hatchCell(), c.hatchCell);
    // Never thinner than the thinnest pen.
    EXPECT_EQ(scale.pixels(0), c.width1);
    EXPECT_EQ(scale.pixels(-7), c.width1);
}

// A horizontal stroke is as many rows thick as the pen is wide in screen pixels.
TEST_P(PenAtFactor, AStrokeIsAsThickAsTheScaledWidth) {
    const FactorCase& c = GetParam();
    for (const auto& [width, pixels] :
         {std::pair{1, c.width1}, {2, c.width2}, {3, c.width3}, {5, c.width5}, {12, c.width12}}) {
        SCOPED_TRACE("width " + std::to_string(width));
        const Raster stroke =
            FigureRasterizer(PenShape{width, PenStyle::Solid, c.factor}, BrushStyle::Solid)
                .line({10, 50}, {200, 50});
        int top = 1000, bottom = -1000;
        for (const Span& s : stroke.pen)
            if (s.x0 <= 100 && 100 < s.x1) {
                top = std::min(top, s.y);
                bottom = std::max(bottom, s.y);
            }
        EXPECT_EQ(bottom - top + 1, pixels);
        // The stroke is the one a pen of that many screen pixels at scale 1 makes.
        EXPECT_EQ(stroke.pen,
                  FigureRasterizer(PenShape{pixels, PenStyle::Solid, 1}, BrushStyle::Solid)
                      .line({10, 50}, {200, 50})
                      .pen);
    }
}

// The thinnest pen's dots: runs of the scaled dot length along a horizontal line.
TEST_P(PenAtFactor, DotsOfTheThinnestPenAreScaledToo) {
    const FactorCase& c = GetParam();
    const Raster dotted = FigureRasterizer(PenShape{1, PenStyle::Dot, c.factor}, BrushStyle::Solid)
                              .line({20, 0}, {320, 0});
    const test::PixelSet pixels = test::pixelsOf(dotted.pen);
    // The top row of the stroke: its runs are the dots, each whole one well before the line's
    // end, where the last may be cut short.
    int runStart = -1;
    int runs = 0;
    for (int x = 0; x <= 250; ++x) {
        const bool on = pixels.count({x, dotted.pen.front().y}) > 0;
        if (on && runStart < 0)
            runStart = x;
        if (!on && runStart >= 0) {
            // A pen wider than one pixel stamps its disc on each dot's pixels, which widens
            // the dot by the disc's width less one.
            EXPECT_EQ(x - runStart, c.dot + c.width1 - 1) << "the dot from x " << runStart;
            runStart = -1;
            ++runs;
        }
    }
    EXPECT_GT(runs, 10);
}

TEST_P(PenAtFactor, HatchedFiguresCarryTheCell) {
    const FactorCase& c = GetParam();
    const Raster figure =
        FigureRasterizer(PenShape{3, PenStyle::Solid, c.factor}, BrushStyle::Cross)
            .rectangle({10, 10}, {90, 70});
    EXPECT_EQ(figure.hatch, Hatch::Cross);
    EXPECT_EQ(figure.hatchScale, c.hatchCell);
}

INSTANTIATE_TEST_SUITE_P(Factors, PenAtFactor, ::testing::ValuesIn(Factors),
                         [](const auto& info) { return test::caseName(info.param.name); });

TEST(PenScale, FactorsBelowOneOrNotANumberCountAsOne) {
    for (double factor : {0.0, 0.5, -2.0, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(std::to_string(factor));
        const PenScale scale(factor);
        EXPECT_EQ(scale.factor(), 1);
        EXPECT_EQ(scale.pixels(5), 5);
        EXPECT_EQ(scale.hatchCell(), 1);
    }
}

TEST(PenScale, AHugeWidthStaysWithinTheIntegers) {
    EXPECT_EQ(PenScale(1.5).pixels(std::numeric_limits<int>::max()),
              std::numeric_limits<int>::max());
}

} // namespace
} // namespace kerulo
