#include "pen/screencanvas.h"

#include "pen/figurerasterizer.h"
#include "platform/fake/imagepainter.h"
#include "rastertesting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kerulo {
namespace {

using test::caseName;
using test::noise;
using test::PixelSet;
using test::pixelsOf;
using test::wellFormed;

constexpr QRgb Red = 0xFFFF0000u;
constexpr QRgb Blue = 0xFF0000FFu;
constexpr QRgb White = 0xFFFFFFFFu;
constexpr QRgb Orange = 0xFFFF8000u;

/// Keeps every paint it is asked for.
class RecordingPainter : public ScreenPainter {
public:
    struct Call {
        Raster figure;
        QRgb pen;
        QRgb brush;
        RasterMode mode;
    };
    void paint(const Raster& figure, QRgb pen, QRgb brush, RasterMode mode) override {
        calls.push_back({figure, pen, brush, mode});
    }
    std::vector<Call> calls;
};

TEST(ScreenCanvas, StartsAsAFreshDrawingContext) {
    RecordingPainter painter;
    const ScreenCanvas canvas(painter);
    EXPECT_EQ(canvas.penColour(), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.penWidth(), 1);
    EXPECT_EQ(canvas.penStyle(), PenStyle::Solid);
    EXPECT_EQ(canvas.rasterMode(), RasterMode::Copy);
    EXPECT_EQ(canvas.brushColour(), White);
    EXPECT_EQ(canvas.brushStyle(), BrushStyle::Solid);
    EXPECT_EQ(canvas.scale(), 1);
    EXPECT_FALSE(canvas.currentPosition().has_value());
}

// ---- The brush's two coupled rules ----

struct BrushStep {
    bool setsColour;
    QRgb colour;
    BrushStyle style;
};

BrushStep colour(QRgb c) {
    return {true, c, BrushStyle::Solid};
}
BrushStep style(BrushStyle s) {
    return {false, 0, s};
}

struct BrushCase {
    std::string what;
    std::vector<BrushStep> steps;
    BrushStyle style;
    QRgb colour;
};

const BrushCase BrushCases[] = {
    {"hollow turns the brush white",
     {colour(Red), style(BrushStyle::Hollow)},
     BrushStyle::Hollow,
     White},
    {"a colour makes a hollow brush solid",
     {colour(Red), style(BrushStyle::Hollow), colour(Blue)},
     BrushStyle::Solid,
     Blue},
    {"solid after hollow fills white",
     {colour(Red), style(BrushStyle::Hollow), style(BrushStyle::Solid)},
     BrushStyle::Solid,
     White},
    {"a hatch after hollow stays white",
     {colour(Red), style(BrushStyle::Hollow), style(BrushStyle::Cross)},
     BrushStyle::Cross,
     White},
    {"a colour keeps a hatch", {style(BrushStyle::Cross), colour(Blue)}, BrushStyle::Cross, Blue},
    {"a hatch keeps the colour",
     {colour(Red), style(BrushStyle::Vertical)},
     BrushStyle::Vertical,
     Red},
    {"a colour keeps a solid brush solid", {colour(Blue)}, BrushStyle::Solid, Blue},
    {"hollow twice stays white and hollow",
     {style(BrushStyle::Hollow), colour(Blue), style(BrushStyle::Hollow)},
     BrushStyle::Hollow,
     White},
};

void PrintTo(const BrushCase& c, std::ostream* os) {
    *os << c.what;
}

class BrushRules : public ::testing::TestWithParam<BrushCase> {};

TEST_P(BrushRules, StyleAndColourFollowEachOther) {
    RecordingPainter painter;
    ScreenCanvas canvas(painter);
    for (const BrushStep& step : GetParam().steps) {
        if (step.setsColour)
            canvas.setBrushColour(step.colour);
        else
            canvas.setBrushStyle(step.style);
    }
    EXPECT_EQ(canvas.brushStyle(), GetParam().style);
    EXPECT_EQ(canvas.brushColour(), GetParam().colour);
    EXPECT_TRUE(painter.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Steps, BrushRules, ::testing::ValuesIn(BrushCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- Operations ----

struct Operation {
    std::string what;
    std::function<void(ScreenCanvas&)> run;
    std::function<Raster(const FigureRasterizer&)> figure;
    /// The current position afterwards, when the operation starts at (7, 9).
    QPoint position;
};

const std::vector<Operation> Operations = {
    {"line",
     [](ScreenCanvas& c) {
         c.lineTo({30, 21});
     },
     [](const FigureRasterizer& r) {
         return r.line({7, 9}, {30, 21});
     },
     {30, 21}},
    {"rectangle",
     [](ScreenCanvas& c) {
         c.rectangle({40, 30}, {12, 5});
     },
     [](const FigureRasterizer& r) {
         return r.rectangle({40, 30}, {12, 5});
     },
     {7, 9}},
    {"ellipse",
     [](ScreenCanvas& c) {
         c.ellipse({12, 5}, {41, 33});
     },
     [](const FigureRasterizer& r) {
         return r.ellipse({12, 5}, {41, 33});
     },
     {7, 9}},
    {"rounded rectangle",
     [](ScreenCanvas& c) {
         c.roundRect({12, 5}, {41, 33}, -14, -14);
     },
     [](const FigureRasterizer& r) {
         return r.roundRect({12, 5}, {41, 33}, -14, -14);
     },
     {7, 9}},
};

TEST(ScreenCanvas, EachFigureIsOnePaintWithTheCanvasState) {
    for (const Operation& op : Operations)
        for (int width : {1, 4})
            for (int scale : {1, 2})
                for (RasterMode mode : {RasterMode::Copy, RasterMode::NotXor}) {
                    SCOPED_TRACE(op.what + " width " + std::to_string(width) + " scale " +
                                 std::to_string(scale));
                    RecordingPainter painter;
                    ScreenCanvas canvas(painter);
                    canvas.setPenColour(Red);
                    canvas.setPenWidth(width);
                    canvas.setPenStyle(PenStyle::DashDot);
                    canvas.setBrushColour(Blue);
                    canvas.setBrushStyle(BrushStyle::ForwardDiagonal);
                    canvas.setScale(scale);
                    canvas.setRasterMode(mode);
                    canvas.moveTo({7, 9});
                    EXPECT_TRUE(painter.calls.empty()) << "moving paints nothing";
                    op.run(canvas);
                    ASSERT_EQ(painter.calls.size(), 1u);
                    const auto& call = painter.calls.front();
                    const FigureRasterizer expected(
                        PenShape{width, PenStyle::DashDot, double(scale)},
                        BrushStyle::ForwardDiagonal);
                    const Raster figure = op.figure(expected);
                    EXPECT_EQ(call.figure.pen, figure.pen);
                    EXPECT_EQ(call.figure.brush, figure.brush);
                    EXPECT_EQ(call.figure.hatch, figure.hatch);
                    EXPECT_EQ(call.figure.hatchScale, figure.hatchScale);
                    EXPECT_EQ(call.pen, Red);
                    EXPECT_EQ(call.brush, Blue);
                    EXPECT_EQ(call.mode, mode);
                    EXPECT_EQ(canvas.currentPosition(), op.position);
                }
}

// A rubber band paints each figure twice running; the second paint must be the same pixels,
// and a figure after any change of what shapes its pixels must have the new ones.
TEST(ScreenCanvas, AFigurePaintedAgainAfterAChangeHasTheNewShape) {
    const struct {
        std::string what;
        std::function<void(ScreenCanvas&)> change;
        PenShape pen;
        BrushStyle brush;
    } changes[] = {
        {"nothing", [](ScreenCanvas&) {}, {3, PenStyle::Solid, 1}, BrushStyle::Solid},
        {"pen width",
         [](ScreenCanvas& c) { c.setPenWidth(6); },
         {6, PenStyle::Solid, 1},
         BrushStyle::Solid},
        {"pen style",
         [](ScreenCanvas& c) { c.setPenStyle(PenStyle::Dash); },
         {3, PenStyle::Dash, 1},
         BrushStyle::Solid},
        {"brush style",
         [](ScreenCanvas& c) { c.setBrushStyle(BrushStyle::Cross); },
         {3, PenStyle::Solid, 1},
         BrushStyle::Cross},
        {"scale",
         [](ScreenCanvas& c) { c.setScale(2); },
         {3, PenStyle::Solid, 2},
         BrushStyle::Solid},
    };
    for (const Operation& op : Operations)
        for (const auto& change : changes) {
            SCOPED_TRACE(op.what + " after a change of " + change.what);
            RecordingPainter painter;
            ScreenCanvas canvas(painter);
            canvas.setPenWidth(3);
            canvas.setRasterMode(RasterMode::NotXor);
            canvas.moveTo({7, 9});
            op.run(canvas);
            change.change(canvas);
            canvas.moveTo({7, 9});
            op.run(canvas);
            ASSERT_EQ(painter.calls.size(), 2u);
            const Raster expected = op.figure(FigureRasterizer(change.pen, change.brush));
            EXPECT_EQ(painter.calls.back().figure.pen, expected.pen);
            EXPECT_EQ(painter.calls.back().figure.brush, expected.brush);
            EXPECT_EQ(painter.calls.back().figure.hatch, expected.hatch);
            EXPECT_EQ(painter.calls.back().figure.hatchScale, expected.hatchScale);
        }
}

TEST(ScreenCanvas, FiguresWithoutPixelsAreNotPainted) {
    const struct {
        std::string what;
        int width;
        std::function<void(ScreenCanvas&)> run;
        std::size_t paints;
    } cases[] = {
        {"line of no length", 1,
         [](ScreenCanvas& c) {
             c.moveTo({5, 5});
             c.lineTo({5, 5});
         },
         0},
        {"line of no length, wide", 5,
         [](ScreenCanvas& c) {
             c.moveTo({5, 5});
             c.lineTo({5, 5});
         },
         1},
        {"rectangle of no width", 5,
         [](ScreenCanvas& c) {
             c.rectangle({5, 5}, {5, 20});
         },
         0},
        {"ellipse of no height", 1,
         [](ScreenCanvas& c) {
             c.ellipse({5, 5}, {20, 5});
         },
         0},
        {"rounded rectangle of no size", 5,
         [](ScreenCanvas& c) {
             c.roundRect({5, 5}, {5, 5}, 0, 0);
         },
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingPainter painter;
        ScreenCanvas canvas(painter);
        canvas.setPenWidth(c.width);
        c.run(canvas);
        EXPECT_EQ(painter.calls.size(), c.paints);
    }
}

TEST(ScreenCanvas, ALineWithoutACurrentPositionStartsAtItsEnd) {
    for (int width : {1, 5}) {
        RecordingPainter painter;
        ScreenCanvas canvas(painter);
        canvas.setPenWidth(width);
        canvas.lineTo({12, 14});
        EXPECT_EQ(canvas.currentPosition(), QPoint(12, 14));
        const Raster dot = FigureRasterizer(PenShape{width, PenStyle::Solid, 1}, BrushStyle::Solid)
                               .line({12, 14}, {12, 14});
        if (width == 1) {
            EXPECT_TRUE(painter.calls.empty());
        } else {
            ASSERT_EQ(painter.calls.size(), 1u);
            EXPECT_EQ(painter.calls.front().figure.pen, dot.pen);
        }
    }
}

TEST(ScreenCanvas, LinesFollowOnFromEachOther) {
    RecordingPainter painter;
    ScreenCanvas canvas(painter);
    canvas.moveTo({3, 4});
    canvas.lineTo({20, 4});
    canvas.lineTo({20, 30});
    const FigureRasterizer r(PenShape{}, BrushStyle::Solid);
    ASSERT_EQ(painter.calls.size(), 2u);
    EXPECT_EQ(painter.calls[0].figure.pen, r.line({3, 4}, {20, 4}).pen);
    EXPECT_EQ(painter.calls[1].figure.pen, r.line({20, 4}, {20, 30}).pen);
}

// ---- On a screen in memory ----

/// Every figure in every width, pen style and brush style.
struct Drawing {
    std::string what;
    std::function<void(ScreenCanvas&)> draw;
};

const std::vector<Drawing> Drawings = {
    {"line",
     [](ScreenCanvas& c) {
         c.moveTo({4, 50});
         c.lineTo({70, 6});
     }},
    {"steep line",
     [](ScreenCanvas& c) {
         c.moveTo({40, 2});
         c.lineTo({33, 55});
     }},
    {"line of no length",
     [](ScreenCanvas& c) {
         c.moveTo({40, 30});
         c.lineTo({40, 30});
     }},
    {"rectangle",
     [](ScreenCanvas& c) {
         c.rectangle({60, 50}, {6, 5});
     }},
    {"ellipse",
     [](ScreenCanvas& c) {
         c.ellipse({6, 5}, {63, 52});
     }},
    {"rounded rectangle",
     [](ScreenCanvas& c) {
         c.roundRect({6, 5}, {63, 52}, -28, -23);
     }},
    {"figure over the edge",
     [](ScreenCanvas& c) {
         c.ellipse({-20, -10}, {30, 70});
     }},
};

const PenStyle PenStyles[] = {PenStyle::Solid, PenStyle::Dash, PenStyle::Dot, PenStyle::DashDot,
                              PenStyle::DashDotDot};
const BrushStyle BrushStyles[] = {
    BrushStyle::Solid,    BrushStyle::Hollow,          BrushStyle::Horizontal,
    BrushStyle::Vertical, BrushStyle::ForwardDiagonal, BrushStyle::BackwardDiagonal,
    BrushStyle::Cross};

TEST(ScreenCanvasOnImage, NotXorTouchesEachPixelOnceAndTwiceRestoresTheScreen) {
    const QImage background = noise(QSize(80, 60), 11);
    for (const Drawing& drawing : Drawings)
        for (int width : {1, 2, 5})
            for (PenStyle penStyle : PenStyles)
                for (BrushStyle brushStyle : BrushStyles) {
                    SCOPED_TRACE(drawing.what + " width " + std::to_string(width) + " pen " +
                                 std::to_string(int(penStyle)) + " brush " +
                                 std::to_string(int(brushStyle)));
                    ImagePainter painter;
                    painter.setImage(background);
                    ScreenCanvas canvas(painter);
                    canvas.setPenColour(Orange);
                    canvas.setPenWidth(width);
                    canvas.setPenStyle(penStyle);
                    canvas.setBrushColour(0xFF20C0A0u);
                    canvas.setBrushStyle(brushStyle);
                    canvas.setRasterMode(RasterMode::NotXor);

                    drawing.draw(canvas);
                    const Raster& figure = painter.lastRaster();
                    ASSERT_TRUE(wellFormed(figure));
                    const PixelSet pen = pixelsOf(figure.pen);
                    const PixelSet brush = pixelsOf(figure.brush);
                    std::size_t changed = 0;
                    for (int y = 0; y < background.height(); ++y)
                        for (int x = 0; x < background.width(); ++x) {
                            const QRgb before = background.pixel(x, y);
                            QRgb expected = before;
                            if (pen.count({x, y}))
                                expected = 0xFF000000u | ~(canvas.penColour() ^ before);
                            else if (brush.count({x, y}) &&
                                     hatchCovers(figure.hatch, figure.hatchScale, x, y))
                                expected = 0xFF000000u | ~(canvas.brushColour() ^ before);
                            changed += expected != before ? 1 : 0;
                            ASSERT_EQ(painter.image().pixel(x, y), expected) << x << "," << y;
                        }
                    if (drawing.what != "line of no length" || width > 1) {
                        EXPECT_GT(changed, 0u);
                    }

                    drawing.draw(canvas);
                    EXPECT_EQ(painter.image(), background);
                }
}

TEST(ScreenCanvasOnImage, CopyPaintsPenAndBrushColoursAndLeavesHatchGapsAlone) {
    const QImage background = noise(QSize(80, 60), 12);
    for (BrushStyle brushStyle : BrushStyles)
        for (int scale : {1, 2}) {
            SCOPED_TRACE("brush " + std::to_string(int(brushStyle)) + " scale " +
                         std::to_string(scale));
            ImagePainter painter;
            painter.setImage(background);
            ScreenCanvas canvas(painter);
            canvas.setPenColour(Orange);
            canvas.setBrushColour(Blue);
            canvas.setBrushStyle(brushStyle);
            canvas.setScale(scale);
            canvas.rectangle({5, 3}, {75, 57});
            const Raster& figure = painter.lastRaster();
            const PixelSet pen = pixelsOf(figure.pen);
            const PixelSet brush = pixelsOf(figure.brush);
            for (int y = 0; y < background.height(); ++y)
                for (int x = 0; x < background.width(); ++x) {
                    QRgb expected = background.pixel(x, y);
                    if (pen.count({x, y}))
                        expected = Orange;
                    else if (brush.count({x, y}) &&
                             hatchCovers(figure.hatch, figure.hatchScale, x, y))
                        expected = Blue;
                    ASSERT_EQ(painter.image().pixel(x, y), expected) << x << "," << y;
                }
            // The interior is untouched only where the brush is hollow.
            const QRect inside(10, 10, 60, 40);
            bool touched = false;
            for (int y = inside.top(); y <= inside.bottom(); ++y)
                for (int x = inside.left(); x <= inside.right(); ++x)
                    touched = touched || painter.image().pixel(x, y) != background.pixel(x, y);
            EXPECT_EQ(touched, brushStyle != BrushStyle::Hollow);
        }
}

/// Where a hatch paints inside a large figure, as text: '+' painted, '.' not.
std::vector<std::string> hatchPicture(BrushStyle style, int scale, QPoint corner, QRect window) {
    ImagePainter painter(QSize(80, 60), White);
    ScreenCanvas canvas(painter);
    canvas.setBrushColour(Blue);
    canvas.setBrushStyle(style);
    canvas.setScale(scale);
    canvas.rectangle(corner, corner + QPoint(60, 45));
    std::vector<std::string> rows;
    for (int y = window.top(); y <= window.bottom(); ++y) {
        std::string row;
        for (int x = window.left(); x <= window.right(); ++x)
            row += painter.image().pixel(x, y) == Blue ? '+' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(ScreenCanvasOnImage, HatchesLieOnTheScreensGrid) {
    const struct {
        BrushStyle style;
        int scale;
        std::vector<std::string> picture; // of the pixels 16..31, 16..19
    } cases[] = {
        {BrushStyle::Horizontal,
         1,
         {"++++++++++++++++", "................", "................", "................"}},
        {BrushStyle::Horizontal,
         2,
         {"++++++++++++++++", "++++++++++++++++", "................", "................"}},
        {BrushStyle::Vertical,
         1,
         {"+.......+.......", "+.......+.......", "+.......+.......", "+.......+......."}},
        {BrushStyle::Vertical,
         2,
         {"++..............", "++..............", "++..............", "++.............."}},
        {BrushStyle::ForwardDiagonal,
         1,
         {"+.......+.......", ".+.......+......", "..+.......+.....", "...+.......+...."}},
        {BrushStyle::ForwardDiagonal,
         2,
         {"++..............", "++..............", "..++............", "..++............"}},
        {BrushStyle::BackwardDiagonal,
         1,
         {".......+.......+", "......+.......+.", ".....+.......+..", "....+.......+..."}},
        {BrushStyle::Cross,
         1,
         {"++++++++++++++++", "+.......+.......", "+.......+.......", "+.......+......."}},
    };
    const QRect window(16, 16, 16, 4);
    for (const auto& c : cases) {
        SCOPED_TRACE("brush " + std::to_string(int(c.style)) + " scale " + std::to_string(c.scale));
        // Wherever the figure starts, the lines stay where the screen's grid has them.
        for (QPoint corner : {QPoint(3, 2), QPoint(6, 5), QPoint(9, 11)})
            EXPECT_EQ(hatchPicture(c.style, c.scale, corner, window), c.picture);
    }
}

TEST(ImagePainter, NotXorComplementsColourXorPixelAndKeepsTheScreenOpaque) {
    ImagePainter painter(QSize(4, 2), 0xFF123456u);
    Raster figure;
    figure.pen = {{0, 1, 3}};
    figure.brush = {{1, 0, 4}, {5, -3, 9}};
    painter.paint(figure, 0xFF00FF00u, 0x00FFFFFFu, RasterMode::NotXor);
    EXPECT_EQ(painter.paintCount(), 1);
    EXPECT_EQ(painter.lastRaster().brush, figure.brush);
    EXPECT_EQ(painter.image().pixel(0, 0), 0xFF123456u) << "untouched";
    EXPECT_EQ(painter.image().pixel(1, 0), 0xFFED34A9u);
    EXPECT_EQ(painter.image().pixel(3, 0), 0xFF123456u) << "the span ends before x1";
    EXPECT_EQ(painter.image().pixel(0, 1), 0xFF123456u) << "not-xor with white keeps the pixel";
    painter.paint(figure, 0xFF00FF00u, 0xFF000000u, RasterMode::Copy);
    EXPECT_EQ(painter.paintCount(), 2);
    EXPECT_EQ(painter.image().pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(painter.image().pixel(0, 1), 0xFF000000u);
}

} // namespace
} // namespace kerulo
