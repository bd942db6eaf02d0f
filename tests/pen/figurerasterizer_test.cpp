#include "pen/figurerasterizer.h"
#include "pen/penscale.h"
#include "rastertesting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace kerulo {
namespace {

using test::art;
using test::caseName;
using test::minus;
using test::Pixel;
using test::PixelSet;
using test::pixelsOf;
using test::wellFormed;

FigureRasterizer pen(int width, PenStyle style = PenStyle::Solid, double scale = 1,
                     BrushStyle brush = BrushStyle::Solid) {
    return FigureRasterizer(PenShape{width, style, scale}, brush);
}

// ---- Figures drawn out pixel by pixel ----

struct ArtCase {
    std::string what;
    std::function<Raster()> figure;
    QRect area;
    std::vector<std::string> art;
};

const std::vector<std::string> Rectangle5x4 = {
    ".......", //
    ".ooooo.", //
    ".o###o.", //
    ".o###o.", //
    ".ooooo.", //
    ".......",
};

const std::vector<std::string> RoundRect12x10Corner8 = {
    "..oooooooo..", //
    ".o########o.", //
    "o##########o", //
    "o##########o", //
    "o##########o", //
    "o##########o", //
    "o##########o", //
    "o##########o", //
    ".o########o.", //
    "..oooooooo..",
};

const std::vector<std::string> Ellipse8x6 = {
    "..oooo..", //
    ".o####o.", //
    "o######o", //
    "o######o", //
    ".o####o.", //
    "..oooo..",
};

// Worked out by hand: the walk starts at the top-left corner and goes clockwise, three pixels
// on and three off; the brush fills the interior and leaves the outline's gaps alone.
const std::vector<std::string> DottedRectangle30x10 = {
    "ooo...ooo...ooo...ooo...ooo...", //
    ".############################o", //
    "o############################o", //
    "o############################o", //
    "o############################.", //
    ".############################.", //
    ".############################.", //
    ".############################o", //
    "o############################o", //
    "oo...ooo...ooo...ooo...ooo...o",
};

const std::vector<ArtCase> ArtCases = {
    {"line of width 1 paints its start, not its end",
     [] {
         return pen(1).line({2, 1}, {6, 1});
     },
     {0, 0, 8, 3},
     {"........", "..oooo..", "........"}},
    {"line of width 1 drawn backwards",
     [] {
         return pen(1).line({6, 1}, {2, 1});
     },
     {0, 0, 8, 3},
     {"........", "...oooo.", "........"}},
    {"line of no length at width 1 paints nothing",
     [] {
         return pen(1).line({2, 1}, {2, 1});
     },
     {0, 0, 4, 3},
     {"....", "....", "...."}},
    {"line of no length at width 5 is a dot",
     [] {
         return pen(5).line({3, 3}, {3, 3});
     },
     {0, 0, 7, 7},
     {".......", "..ooo..", ".ooooo.", ".ooooo.", ".ooooo.", "..ooo..", "......."}},
    {"line of no length at width 4 is a dot around the pixel's corner",
     [] {
         return pen(4).line({3, 3}, {3, 3});
     },
     {0, 0, 6, 6},
     {"......", "..oo..", ".oooo.", ".oooo.", "..oo..", "......"}},
    {"line of no length at width 2 is a square",
     [] {
         return pen(2).line({2, 2}, {2, 2});
     },
     {0, 0, 4, 4},
     {"....", ".oo.", ".oo.", "...."}},
    {"line of width 5 stamps its disc up to the end",
     [] {
         return pen(5).line({2, 2}, {5, 2});
     },
     {0, 0, 8, 5},
     {".oooooo.", "oooooooo", "oooooooo", "oooooooo", ".oooooo."}},
    {"rectangle from top-left to bottom-right",
     [] {
         return pen(1).rectangle({1, 1}, {6, 5});
     },
     {0, 0, 7, 6},
     Rectangle5x4},
    {"rectangle from bottom-right to top-left",
     [] {
         return pen(1).rectangle({6, 5}, {1, 1});
     },
     {0, 0, 7, 6},
     Rectangle5x4},
    {"rectangle from top-right to bottom-left",
     [] {
         return pen(1).rectangle({6, 1}, {1, 5});
     },
     {0, 0, 7, 6},
     Rectangle5x4},
    {"rectangle from bottom-left to top-right",
     [] {
         return pen(1).rectangle({1, 5}, {6, 1});
     },
     {0, 0, 7, 6},
     Rectangle5x4},
    {"rectangle with a hollow brush",
     [] {
         return pen(1, PenStyle::Solid, 1, BrushStyle::Hollow).rectangle({1, 1}, {6, 5});
     },
     {0, 0, 7, 6},
     {".......", ".ooooo.", ".o...o.", ".o...o.", ".ooooo.", "......."}},
    {"rectangle one pixel wide",
     [] {
         return pen(1).rectangle({2, 1}, {3, 4});
     },
     {0, 0, 5, 5},
     {".....", "..o..", "..o..", "..o..", "....."}},
    {"rectangle of no width paints nothing at width 1",
     [] {
         return pen(1).rectangle({2, 1}, {2, 4});
     },
     {0, 0, 5, 5},
     {".....", ".....", ".....", ".....", "....."}},
    {"rectangle of no height paints nothing at width 5",
     [] {
         return pen(5).rectangle({1, 2}, {6, 2});
     },
     {-2, 0, 11, 5},
     {"...........", "...........", "...........", "...........", "..........."}},
    {"rectangle at width 3 widens the outline both ways",
     [] {
         return pen(3).rectangle({10, 10}, {20, 18});
     },
     {8, 8, 14, 12},
     {"..............", ".oooooooooooo.", ".oooooooooooo.", ".oooooooooooo.", ".ooo######ooo.",
      ".ooo######ooo.", ".ooo######ooo.", ".ooo######ooo.", ".oooooooooooo.", ".oooooooooooo.",
      ".oooooooooooo.", ".............."}},
    {"ellipse 5 by 5",
     [] {
         return pen(1).ellipse({0, 0}, {5, 5});
     },
     {0, 0, 5, 5},
     {".ooo.", "o###o", "o###o", "o###o", ".ooo."}},
    {"ellipse 6 by 4",
     [] {
         return pen(1).ellipse({6, 4}, {0, 0});
     },
     {0, 0, 6, 4},
     {".oooo.", "o####o", "o####o", ".oooo."}},
    {"ellipse 8 by 6",
     [] {
         return pen(1).ellipse({0, 6}, {8, 0});
     },
     {0, 0, 8, 6},
     Ellipse8x6},
    {"ellipse 3 by 2 has no interior",
     [] {
         return pen(1).ellipse({1, 1}, {4, 3});
     },
     {0, 0, 5, 4},
     {".....", ".ooo.", ".ooo.", "....."}},
    {"ellipse 2 by 2",
     [] {
         return pen(1).ellipse({1, 1}, {3, 3});
     },
     {0, 0, 4, 4},
     {"....", ".oo.", ".oo.", "...."}},
    {"ellipse of no height paints nothing",
     [] {
         return pen(1).ellipse({1, 1}, {5, 1});
     },
     {0, 0, 6, 3},
     {"......", "......", "......"}},
    {"rounded rectangle dragged right and down",
     [] {
         return pen(1).roundRect({0, 0}, {12, 10}, -8, -8);
     },
     {0, 0, 12, 10},
     RoundRect12x10Corner8},
    {"rounded rectangle dragged left and up",
     [] {
         return pen(1).roundRect({12, 10}, {0, 0}, 8, 8);
     },
     {0, 0, 12, 10},
     RoundRect12x10Corner8},
    {"rounded rectangle with corner sizes of mixed signs",
     [] {
         return pen(1).roundRect({12, 0}, {0, 10}, 8, -8);
     },
     {0, 0, 12, 10},
     RoundRect12x10Corner8},
    {"rounded rectangle with corners larger than itself is its ellipse",
     [] {
         return pen(1).roundRect({0, 0}, {8, 6}, -100, 100);
     },
     {0, 0, 8, 6},
     Ellipse8x6},
    {"rounded rectangle with corners of no width is a rectangle",
     [] {
         return pen(1).roundRect({1, 1}, {6, 5}, 0, -6);
     },
     {0, 0, 7, 6},
     Rectangle5x4},
    {"rounded rectangle with corners of no height is a rectangle",
     [] {
         return pen(1).roundRect({1, 1}, {6, 5}, 6, 0);
     },
     {0, 0, 7, 6},
     Rectangle5x4},
    {"dotted rectangle",
     [] {
         return pen(1, PenStyle::Dot).rectangle({0, 0}, {30, 10});
     },
     {0, 0, 30, 10},
     DottedRectangle30x10},
    {"arrow to the right",
     [] {
         return pen(1).arrow({0, 5}, {12, 5});
     },
     {0, 0, 13, 11},
     {".............",
      "....o........",
      "....ooo......",
      "....ooooo....",
      "....ooooooo..",
      "ooooooooooooo",
      "....ooooooo..",
      "....ooooo....",
      "....ooo......",
      "....o........",
      "............."}},
    {"arrow shorter than its head",
     [] {
         return pen(1).arrow({5, 4}, {5, 0});
     },
     {0, 0, 11, 6},
     {".....o.....",
      ".....o.....",
      "....ooo....",
      "....ooo....",
      "...ooooo...",
      "..........."}},
};

void PrintTo(const ArtCase& c, std::ostream* os) {
    *os << c.what;
}

class ArtTable : public ::testing::TestWithParam<ArtCase> {};

TEST_P(ArtTable, PaintsExactlyThesePixels) {
    const ArtCase& c = GetParam();
    const Raster raster = c.figure();
    EXPECT_TRUE(wellFormed(raster));
    EXPECT_EQ(art(raster, c.area), c.art);
    // Nothing lies outside the drawn area.
    const PixelSet all = pixelsOf(raster.pen);
    for (const Pixel& p : pixelsOf(raster.brush))
        EXPECT_TRUE(c.area.contains(p.first, p.second)) << p.first << "," << p.second;
    for (const Pixel& p : all)
        EXPECT_TRUE(c.area.contains(p.first, p.second)) << p.first << "," << p.second;
}

INSTANTIATE_TEST_SUITE_P(Figures, ArtTable, ::testing::ValuesIn(ArtCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- Lines ----

// Slopes of 0, 1 and 1/3 put the ideal line exactly on a pixel or a third of the way between
// two, so the nearest pixel of each step is never in doubt.
struct OctantCase {
    int dx;
    int dy;
};

const OctantCase OctantCases[] = {
    {6, 2},   {2, 6},  {-2, 6}, {-6, 2}, {-6, -2}, {-2, -6}, {2, -6},
    {6, -2},  {5, 0},  {0, 5},  {-5, 0}, {0, -5},  {4, 4},   {-4, 4},
    {-4, -4}, {4, -4}, {1, 0},  {0, -1}, {1, 1},   {-9, -3}, {3, 9},
};

TEST(FigureRasterizerLine, EachOctantTakesTheNearestPixelOfEachStepFromStartToBeforeTheEnd) {
    const QPoint from(20, 30);
    for (const OctantCase& c : OctantCases) {
        const QPoint to = from + QPoint(c.dx, c.dy);
        const int steps = std::max(std::abs(c.dx), std::abs(c.dy));
        PixelSet expected;
        for (int i = 0; i < steps; ++i)
            expected.insert({from.x() + int(std::lround(double(c.dx) * i / steps)),
                             from.y() + int(std::lround(double(c.dy) * i / steps))});
        const Raster raster = pen(1).line(from, to);
        SCOPED_TRACE("to " + std::to_string(c.dx) + "," + std::to_string(c.dy));
        EXPECT_TRUE(wellFormed(raster));
        EXPECT_TRUE(raster.brush.empty());
        const PixelSet painted = pixelsOf(raster.pen);
        EXPECT_EQ(painted, expected);
        EXPECT_EQ(painted.count({from.x(), from.y()}), 1u) << "the start is painted";
        EXPECT_EQ(painted.count({to.x(), to.y()}), 0u) << "the end is not";
    }
}

std::vector<std::pair<QPoint, QPoint>> randomLines(int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> coordinate(-40, 40);
    std::vector<std::pair<QPoint, QPoint>> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(
            {{coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)}});
    return lines;
}

TEST(FigureRasterizerLine, OnePixelPerStepNeverMoreThanHalfAPixelOffTheLine) {
    for (const auto& [from, to] : randomLines(400, 7)) {
        SCOPED_TRACE(std::to_string(from.x()) + "," + std::to_string(from.y()) + " to " +
                     std::to_string(to.x()) + "," + std::to_string(to.y()));
        const Raster raster = pen(1).line(from, to);
        ASSERT_TRUE(wellFormed(raster));
        const PixelSet painted = pixelsOf(raster.pen);
        const int dx = to.x() - from.x();
        const int dy = to.y() - from.y();
        const bool xMajor = std::abs(dx) >= std::abs(dy);
        const int steps = std::max(std::abs(dx), std::abs(dy));
        ASSERT_EQ(painted.size(), std::size_t(steps));
        std::set<int> majors;
        for (const auto& [x, y] : painted) {
            const int major = xMajor ? x - from.x() : y - from.y();
            const int minor = xMajor ? y - from.y() : x - from.x();
            const double ideal = double(major) * (xMajor ? dy : dx) / (xMajor ? dx : dy);
            EXPECT_LE(std::abs(minor - ideal), 0.5) << x << "," << y;
            majors.insert(major);
        }
        EXPECT_EQ(majors.size(), std::size_t(steps)) << "one pixel per step";
        if (steps > 0) {
            EXPECT_EQ(painted.count({from.x(), from.y()}), 1u);
        }
        EXPECT_EQ(painted.count({to.x(), to.y()}), 0u);
    }
}

/// The disc of a pen `width` screen pixels wide stamped on a pixel: the pixels whose centres lie
/// within width / 2 of the pixel's centre (odd widths) or of its top-left corner (even widths).
PixelSet disc(Pixel at, int width) {
    PixelSet out;
    const int shift = width % 2 == 0 ? 1 : 0;
    for (int dy = -width; dy <= width; ++dy)
        for (int dx = -width; dx <= width; ++dx) {
            const int ex = 2 * dx + shift;
            const int ey = 2 * dy + shift;
            if (ex * ex + ey * ey <= width * width)
                out.insert({at.first + dx, at.second + dy});
        }
    return out;
}

PixelSet stamped(const PixelSet& path, int width) {
    PixelSet out;
    for (const Pixel& p : path)
        for (const Pixel& q : disc(p, width))
            out.insert(q);
    return out;
}

TEST(FigureRasterizerLine, WidePensStampTheirDiscOnThePathAndItsEnd) {
    for (int width : {2, 3, 5, 8}) {
        for (const auto& [from, to] : randomLines(60, std::uint32_t(width))) {
            SCOPED_TRACE("width " + std::to_string(width) + " from " + std::to_string(from.x()) +
                         "," + std::to_string(from.y()) + " to " + std::to_string(to.x()) + "," +
                         std::to_string(to.y()));
            PixelSet path = pixelsOf(pen(1).line(from, to).pen);
            path.insert({to.x(), to.y()});
            const Raster raster = pen(width).line(from, to);
            ASSERT_TRUE(wellFormed(raster));
            EXPECT_TRUE(raster.brush.empty());
            EXPECT_EQ(pixelsOf(raster.pen), stamped(path, width));
        }
    }
}

// ---- Closed figures against their definitions ----

enum class Figure { Rectangle, Ellipse, RoundRect };

struct ClosedCase {
    Figure figure;
    QRect box;
    int cornerWidth = 0;
    int cornerHeight = 0;
};

std::string describe(const ClosedCase& c) {
    const char* names[] = {"rectangle", "ellipse", "roundrect"};
    return std::string(names[int(c.figure)]) + " " + std::to_string(c.box.x()) + "," +
           std::to_string(c.box.y()) + " " + std::to_string(c.box.width()) + "x" +
           std::to_string(c.box.height()) + " corner " + std::to_string(c.cornerWidth) + "x" +
           std::to_string(c.cornerHeight);
}

/// Whether the pixel (x, y) of a box w by h has its centre inside the inscribed ellipse.
bool inEllipse(int w, int h, int x, int y) {
    const std::int64_t ex = 2 * x + 1 - w;
    const std::int64_t ey = 2 * y + 1 - h;
    return ex * ex * h * h + ey * ey * w * w <= std::int64_t(w) * w * h * h;
}

PixelSet filled(const ClosedCase& c) {
    PixelSet out;
    const int w = c.box.width();
    const int h = c.box.height();
    const int cw = std::min(std::abs(c.cornerWidth), w);
    const int ch = std::min(std::abs(c.cornerHeight), h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool in = true;
            if (c.figure == Figure::Ellipse) {
                in = inEllipse(w, h, x, y);
            } else if (c.figure == Figure::RoundRect && cw > 0 && ch > 0) {
                // Distances from the nearest side; within a corner's quarter the corner's
                // ellipse decides.
                const int fromSide = std::min(x, w - 1 - x);
                const int fromEdge = std::min(y, h - 1 - y);
                in = fromSide >= cw / 2 || fromEdge >= ch / 2 ||
                     inEllipse(cw, ch, fromSide, fromEdge);
            }
            if (in)
                out.insert({c.box.x() + x, c.box.y() + y});
        }
    return out;
}

PixelSet outlineOf(const PixelSet& shape) {
    PixelSet out;
    for (const auto& [x, y] : shape)
        if (!shape.count({x - 1, y}) || !shape.count({x + 1, y}) || !shape.count({x, y - 1}) ||
            !shape.count({x, y + 1}))
            out.insert({x, y});
    return out;
}

Raster draw(const FigureRasterizer& r, const ClosedCase& c, bool swapCorners = false) {
    QPoint a = c.box.topLeft();
    QPoint b = a + QPoint(c.box.width(), c.box.height());
    if (swapCorners)
        std::swap(a, b);
    switch (c.figure) {
    case Figure::Rectangle:
        return r.rectangle(a, b);
    case Figure::Ellipse:
        return r.ellipse(a, b);
    case Figure::RoundRect:
        return r.roundRect(a, b, c.cornerWidth, c.cornerHeight);
    }
    return {};
}

std::vector<ClosedCase> closedCases() {
    std::vector<ClosedCase> cases;
    const QPoint origins[] = {{3, 4}, {-7, -2}};
    for (const QPoint& origin : origins)
        for (int w : {1, 2, 3, 4, 5, 7, 8, 13, 20})
            for (int h : {1, 2, 3, 6, 9, 16}) {
                const QRect box(origin, QSize(w, h));
                cases.push_back({Figure::Rectangle, box});
                cases.push_back({Figure::Ellipse, box});
                for (const auto& [cw, ch] : std::vector<std::pair<int, int>>{
                         {3, 3}, {-4, 6}, {7, -2}, {-10, -10}, {1, 5}, {50, 2}})
                    cases.push_back({Figure::RoundRect, box, cw, ch});
            }
    return cases;
}

TEST(FigureRasterizerClosed, Width1OutlinesTheFigureAndTheBrushFillsTheRest) {
    for (const ClosedCase& c : closedCases()) {
        SCOPED_TRACE(describe(c));
        const PixelSet shape = filled(c);
        const PixelSet outline = outlineOf(shape);
        for (bool swapped : {false, true}) {
            const Raster raster = draw(pen(1), c, swapped);
            ASSERT_TRUE(wellFormed(raster));
            EXPECT_EQ(pixelsOf(raster.pen), outline);
            EXPECT_EQ(pixelsOf(raster.brush), minus(shape, outline));
            EXPECT_EQ(raster.hatch, Hatch::None);
        }
    }
}

TEST(FigureRasterizerClosed, WidePensStampTheirDiscOnTheOutline) {
    for (int width : {2, 3, 5}) {
        for (const ClosedCase& c : closedCases()) {
            SCOPED_TRACE(describe(c) + " width " + std::to_string(width));
            const PixelSet shape = filled(c);
            const PixelSet penPixels = stamped(outlineOf(shape), width);
            const Raster raster = draw(pen(width), c);
            ASSERT_TRUE(wellFormed(raster));
            EXPECT_EQ(pixelsOf(raster.pen), penPixels);
            EXPECT_EQ(pixelsOf(raster.brush), minus(shape, penPixels));
        }
    }
}

TEST(FigureRasterizerClosed, FiguresOfNoWidthOrHeightPaintNothing) {
    for (int width : {1, 5}) {
        for (const QRect& box : {QRect(5, 5, 0, 7), QRect(5, 5, 7, 0), QRect(5, 5, 0, 0)}) {
            for (Figure f : {Figure::Rectangle, Figure::Ellipse, Figure::RoundRect}) {
                const ClosedCase c{f, box, -4, -4};
                SCOPED_TRACE(describe(c) + " width " + std::to_string(width));
                EXPECT_TRUE(draw(pen(width), c).empty());
            }
        }
    }
}

TEST(FigureRasterizerClosed, LargeFiguresKeepTheInvariant) {
    const std::vector<ClosedCase> cases = {
        {Figure::Rectangle, QRect(100, 80, 800, 600)},
        {Figure::Ellipse, QRect(0, 0, 1920, 1080)},
        {Figure::Ellipse, QRect(-50, 20, 3, 900)},
        {Figure::RoundRect, QRect(10, 10, 700, 500), -350, -250},
        {Figure::RoundRect, QRect(10, 10, 700, 500), 40, 900},
    };
    for (const ClosedCase& c : cases)
        for (int width : {1, 5})
            for (PenStyle style : {PenStyle::Solid, PenStyle::DashDotDot}) {
                SCOPED_TRACE(describe(c) + " width " + std::to_string(width));
                const Raster raster = draw(pen(width, style), c);
                EXPECT_TRUE(wellFormed(raster));
                EXPECT_FALSE(raster.pen.empty());
                if (c.box.width() > 2 * width) {
                    EXPECT_FALSE(raster.brush.empty());
                }
            }
}

// ---- Pen styles ----

const std::map<PenStyle, std::vector<int>> Patterns = {
    {PenStyle::Dash, {18, 6}},
    {PenStyle::Dot, {3, 3}},
    {PenStyle::DashDot, {9, 6, 3, 6}},
    {PenStyle::DashDotDot, {9, 3, 3, 3, 3, 3}},
};

/// Whether pixel i of the centre path is painted by the pattern, each length times scale.
bool dashOn(const std::vector<int>& pattern, int scale, int i) {
    int period = 0;
    for (int length : pattern)
        period += length * scale;
    int at = i % period;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (at < pattern[k] * scale)
            return k % 2 == 0;
        at -= pattern[k] * scale;
    }
    return false;
}

TEST(FigureRasterizerStyle, BrokenLinesFollowTheirPatternAlongThePath) {
    const struct {
        QPoint from;
        QPoint step;
    } paths[] = {{{0, 5}, {1, 0}}, {{90, 5}, {-1, 0}}, {{4, 0}, {0, 1}}, {{0, 0}, {1, 1}}};
    for (const auto& [style, pattern] : Patterns)
        for (int scale : {1, 2})
            for (const auto& path : paths) {
                SCOPED_TRACE(std::to_string(int(style)) + " scale " + std::to_string(scale) +
                             " step " + std::to_string(path.step.x()) + "," +
                             std::to_string(path.step.y()));
                const int length = 80;
                const Raster raster =
                    pen(1, style, scale).line(path.from, path.from + path.step * length);
                ASSERT_TRUE(wellFormed(raster));
                PixelSet centres;
                const int last = scale == 1 ? length - 1 : length;
                for (int i = 0; i <= last; ++i)
                    if (dashOn(pattern, scale, i)) {
                        const QPoint p = path.from + path.step * i;
                        centres.insert({p.x(), p.y()});
                    }
                const PixelSet expected = scale == 1 ? centres : stamped(centres, scale);
                EXPECT_EQ(pixelsOf(raster.pen), expected);
            }
}

TEST(FigureRasterizerStyle, WiderPensDrawEveryStyleSolid) {
    const ClosedCase figures[] = {{Figure::Rectangle, QRect(2, 3, 40, 30)},
                                  {Figure::Ellipse, QRect(2, 3, 40, 30)},
                                  {Figure::RoundRect, QRect(2, 3, 40, 30), 10, 10}};
    for (int width : {2, 5})
        for (const auto& entry : Patterns) {
            const PenStyle style = entry.first;
            SCOPED_TRACE("width " + std::to_string(width) + " style " + std::to_string(int(style)));
            const Raster solidLine = pen(width).line({1, 2}, {50, 31});
            const Raster styledLine = pen(width, style).line({1, 2}, {50, 31});
            EXPECT_EQ(styledLine.pen, solidLine.pen);
            for (const ClosedCase& c : figures) {
                const Raster solid = draw(pen(width), c);
                const Raster styled = draw(pen(width, style), c);
                EXPECT_EQ(styled.pen, solid.pen);
                EXPECT_EQ(styled.brush, solid.brush);
            }
        }
}

/// The 8-connected groups of a pixel set, by size.
std::vector<std::size_t> groupSizes(PixelSet pixels) {
    std::vector<std::size_t> sizes;
    while (!pixels.empty()) {
        std::vector<Pixel> open = {*pixels.begin()};
        pixels.erase(pixels.begin());
        std::size_t size = 0;
        while (!open.empty()) {
            const Pixel p = open.back();
            open.pop_back();
            ++size;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const auto it = pixels.find({p.first + dx, p.second + dy});
                    if (it != pixels.end()) {
                        open.push_back(*it);
                        pixels.erase(it);
                    }
                }
        }
        sizes.push_back(size);
    }
    return sizes;
}

TEST(FigureRasterizerStyle, DashesRunRoundClosedOutlines) {
    const std::vector<ClosedCase> figures = {
        {Figure::Rectangle, QRect(0, 0, 90, 60)},
        {Figure::Ellipse, QRect(0, 0, 90, 60)},
        {Figure::Ellipse, QRect(0, 0, 61, 97)},
        {Figure::RoundRect, QRect(0, 0, 90, 60), 40, 30},
    };
    for (const ClosedCase& c : figures) {
        SCOPED_TRACE(describe(c));
        const PixelSet outline = outlineOf(filled(c));
        const Raster raster = draw(pen(1, PenStyle::Dash, 1, BrushStyle::Hollow), c);
        ASSERT_TRUE(wellFormed(raster));
        const PixelSet dashed = pixelsOf(raster.pen);
        EXPECT_TRUE(minus(dashed, outline).empty()) << "dashes lie on the outline";
        std::size_t on = 0;
        for (std::size_t i = 0; i < outline.size(); ++i)
            on += dashOn(Patterns.at(PenStyle::Dash), 1, int(i)) ? 1 : 0;
        EXPECT_EQ(dashed.size(), on);
        // Each dash is 18 pixels along the outline; only where the walk closes may the last
        // dash meet the first.
        std::size_t odd = 0;
        for (std::size_t size : groupSizes(dashed))
            odd += size == 18 ? 0 : 1;
        EXPECT_LE(odd, 1u);
    }
}

// ---- Scale ----

TEST(FigureRasterizerScale, AScaledPenIsAsWideAsScaleTimesItsWidth) {
    const ClosedCase figures[] = {{Figure::Rectangle, QRect(-3, 3, 41, 30)},
                                  {Figure::Ellipse, QRect(2, 3, 40, 31)},
                                  {Figure::RoundRect, QRect(2, -3, 40, 30), -12, 9}};
    for (int width : {2, 3, 5}) {
        SCOPED_TRACE("width " + std::to_string(width));
        EXPECT_EQ(pen(width, PenStyle::Solid, 2).line({1, 2}, {50, 31}).pen,
                  pen(2 * width).line({1, 2}, {50, 31}).pen);
        for (const ClosedCase& c : figures) {
            const Raster scaled = draw(pen(width, PenStyle::Dot, 2), c);
            const Raster wide = draw(pen(2 * width), c);
            EXPECT_EQ(scaled.pen, wide.pen);
            EXPECT_EQ(scaled.brush, wide.brush);
        }
    }
    // The thinnest pen on a scaled display is two pixels wide and paints its end too.
    EXPECT_EQ(pen(1, PenStyle::Solid, 2).line({1, 2}, {50, 31}).pen,
              pen(2).line({1, 2}, {50, 31}).pen);
}

// ---- Arrows ----

// In every direction, at widths and scales: the tip is painted and nothing lies beyond it, the
// head is about as long as four pen widths (at least 8 logical pixels) and wider than the line.
TEST(FigureRasterizerArrow, TheHeadEndsAtTheTipAndGrowsWithThePen) {
    const QPoint from(100, 100);
    const QPoint ends[] = {{190, 100}, {100, 190}, {10, 100},  {100, 10},
                           {170, 150}, {40, 160},  {30, 45},   {160, 20}};
    struct Pen {
        int width;
        double scale;
    };
    for (const Pen p : {Pen{1, 1}, Pen{3, 1}, Pen{5, 1}, Pen{8, 1}, Pen{3, 2}, Pen{5, 1.5}}) {
        const int screenWidth = PenScale(p.scale).pixels(p.width);
        const double head = std::max(4 * screenWidth, PenScale(p.scale).pixels(8));
        for (const QPoint& to : ends) {
            SCOPED_TRACE("width " + std::to_string(p.width) + " scale " + std::to_string(p.scale) +
                         " to " + std::to_string(to.x()) + "," + std::to_string(to.y()));
            const Raster raster = pen(p.width, PenStyle::Solid, p.scale).arrow(from, to);
            EXPECT_TRUE(wellFormed(raster));
            EXPECT_TRUE(raster.brush.empty());
            const PixelSet pixels = pixelsOf(raster.pen);
            EXPECT_TRUE(pixels.count({to.x(), to.y()})) << "the tip is not painted";
            const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
            const double ux = (to.x() - from.x()) / length;
            const double uy = (to.y() - from.y()) / length;
            // How far along the arrow and how far across it, for each pixel.
            double furthest = -1e9, headAcross = 0, lineAcross = 0;
            for (const Pixel& px : pixels) {
                const double along = (px.first - from.x()) * ux + (px.second - from.y()) * uy;
                const double across =
                    std::abs(-(px.first - from.x()) * uy + (px.second - from.y()) * ux);
                furthest = std::max(furthest, along);
                if (along > length - head * 0.75 && along < length - head * 0.5)
                    headAcross = std::max(headAcross, across);
                if (along > length * 0.2 && along < length * 0.4)
                    lineAcross = std::max(lineAcross, across);
            }
            EXPECT_LE(furthest, length + 0.5) << "pixels beyond the tip";
            // Halfway down the head it is half as wide as long.
            EXPECT_NEAR(headAcross, head / 4 + head / 8, head / 8 + 1);
            EXPECT_GT(headAcross, lineAcross + 1) << "the head is no wider than the line";
        }
    }
}

TEST(FigureRasterizerArrow, AnArrowOfNoLengthIsTheLineOfNoLength) {
    for (int width : {1, 4}) {
        EXPECT_EQ(pen(width).arrow({7, 7}, {7, 7}).pen, pen(width).line({7, 7}, {7, 7}).pen);
    }
}

// ---- Brushes ----

TEST(FigureRasterizerBrush, EachStyleGivesItsHatchAndHollowGivesNoBrush) {
    const struct {
        BrushStyle style;
        Hatch hatch;
        bool brush;
    } cases[] = {
        {BrushStyle::Solid, Hatch::None, true},
        {BrushStyle::Hollow, Hatch::None, false},
        {BrushStyle::Horizontal, Hatch::Horizontal, true},
        {BrushStyle::Vertical, Hatch::Vertical, true},
        {BrushStyle::ForwardDiagonal, Hatch::ForwardDiagonal, true},
        {BrushStyle::BackwardDiagonal, Hatch::BackwardDiagonal, true},
        {BrushStyle::Cross, Hatch::Cross, true},
    };
    const ClosedCase figures[] = {{Figure::Rectangle, QRect(2, 3, 40, 30)},
                                  {Figure::Ellipse, QRect(2, 3, 40, 30)},
                                  {Figure::RoundRect, QRect(2, 3, 40, 30), 10, 10}};
    for (const auto& c : cases)
        for (int scale : {1, 2})
            for (const ClosedCase& figure : figures) {
                SCOPED_TRACE(describe(figure) + " brush " + std::to_string(int(c.style)) +
                             " scale " + std::to_string(scale));
                const Raster solid = draw(pen(3, PenStyle::Solid, scale), figure);
                const Raster raster = draw(pen(3, PenStyle::Solid, scale, c.style), figure);
                EXPECT_TRUE(wellFormed(raster));
                EXPECT_EQ(raster.pen, solid.pen) << "the brush does not change the outline";
                EXPECT_EQ(raster.hatch, c.hatch);
                if (c.brush) {
                    EXPECT_EQ(raster.brush, solid.brush);
                } else {
                    EXPECT_TRUE(raster.brush.empty());
                }
                if (c.hatch != Hatch::None) {
                    EXPECT_EQ(raster.hatchScale, scale);
                }
            }
}

} // namespace
} // namespace kerulo
