// The change between two not-xor rubber bands, checked against painting both bands in full:
// for the pen's real figures in every brush, at both pen widths and both scales, the change
// applied by its rules to a picture of random colours must leave every pixel as "the old band
// again, then the new one" leaves it.
#include "pen/figurerasterizer.h"
#include "image/bandchange.h"
#include "platform/fake/imagepainter.h"
#include "rastertesting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace kerulo {
namespace {

using test::difference;
using test::noise;
using test::PixelSet;
using test::pixelsOf;

const QSize Screen(160, 120);

/// Applies the change by its per-pixel rules, as the screen's painter is to carry them out.
QImage applied(QImage image, const BandChange& change, QRgb pen, QRgb brush) {
    const auto each = [&image](const std::vector<Span>& spans, const auto& rule) {
        for (const Span& s : spans) {
            if (s.y < 0 || s.y >= image.height())
                continue;
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(s.y));
            for (int x = std::max(s.x0, 0); x < std::min(s.x1, image.width()); ++x)
                line[x] = 0xff000000u | (rule(x, s.y, line[x] & 0xffffffu) & 0xffffffu);
        }
    };
    const auto onLine = [&change](int x, int y) {
        return hatchCovers(change.hatch, change.hatchScale, x, y);
    };
    each(change.penToggle, [&](int, int, QRgb p) { return ~(pen ^ p); });
    each(change.brushToggle, [&](int x, int y, QRgb p) { return onLine(x, y) ? ~(brush ^ p) : p; });
    each(change.swap,
         [&](int x, int y, QRgb p) { return onLine(x, y) ? p ^ pen ^ brush : ~(pen ^ p); });
    return image;
}

/// Sorted by row then x, each span non-empty, no two of a row touching.
::testing::AssertionResult sortedApart(const std::vector<Span>& spans) {
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (spans[i].x0 >= spans[i].x1)
            return ::testing::AssertionFailure() << "span " << i << " is empty";
        if (i > 0 && (spans[i - 1].y > spans[i].y ||
                      (spans[i - 1].y == spans[i].y && spans[i - 1].x1 >= spans[i].x0)))
            return ::testing::AssertionFailure()
                   << "spans " << i - 1 << " and " << i << " are out of order or touch";
    }
    return ::testing::AssertionSuccess();
}

std::size_t common(const PixelSet& a, const PixelSet& b) {
    std::size_t n = 0;
    for (const auto& p : a)
        n += b.count(p);
    return n;
}

struct Figure {
    const char* name;
    std::function<Raster(const FigureRasterizer&, QPoint, QPoint)> draw;
};

const Figure Figures[] = {
    {"line", [](const FigureRasterizer& r, QPoint a, QPoint b) { return r.line(a, b); }},
    {"rectangle", [](const FigureRasterizer& r, QPoint a, QPoint b) { return r.rectangle(a, b); }},
    {"ellipse", [](const FigureRasterizer& r, QPoint a, QPoint b) { return r.ellipse(a, b); }},
    // Corners as the pen's rubber band rounds them: half the drag, signed.
    {"round rectangle",
     [](const FigureRasterizer& r, QPoint a, QPoint b) {
         return r.roundRect(a, b, (a.x() - b.x()) / 2, (a.y() - b.y()) / 2);
     }},
};

const BrushStyle Brushes[] = {
    BrushStyle::Solid,    BrushStyle::Hollow,          BrushStyle::Horizontal,
    BrushStyle::Vertical, BrushStyle::ForwardDiagonal, BrushStyle::BackwardDiagonal,
    BrushStyle::Cross};
const char* const BrushNames[] = {
    "solid", "hollow", "horizontal", "vertical", "forward diagonal", "backward diagonal", "cross"};

const PenShape Pens[] = {
    {1, PenStyle::Solid, 1}, {5, PenStyle::Solid, 1}, {1, PenStyle::DashDot, 1},
    {1, PenStyle::Solid, 2}, {5, PenStyle::Solid, 2},
};

std::string penName(const PenShape& p) {
    return "width " + std::to_string(p.width) + (p.style == PenStyle::Solid ? "" : " dash dot") +
           " scale " + std::to_string(p.scale);
}

/// One move of a band: the old anchor and track, and the new.
struct Move {
    const char* name;
    QPoint fromAnchor, fromTrack, toAnchor, toTrack;
};

const Move Moves[] = {
    {"grows by a pixel", {10, 12}, {90, 70}, {10, 12}, {91, 70}},
    {"grows by a pixel downwards", {10, 12}, {90, 70}, {10, 12}, {90, 71}},
    {"moves 12 right and 7 down", {20, 15}, {100, 80}, {20, 15}, {112, 87}},
    {"shrinks by 9 and 4", {20, 15}, {100, 80}, {20, 15}, {91, 76}},
    {"turns over the anchor", {70, 60}, {120, 100}, {70, 60}, {25, 18}},
    {"nested", {10, 10}, {150, 110}, {50, 40}, {90, 70}},
    {"crossing", {10, 40}, {150, 70}, {60, 5}, {90, 115}},
    {"disjoint", {5, 5}, {50, 35}, {80, 60}, {150, 110}},
    {"the same band", {17, 9}, {133, 97}, {17, 9}, {133, 97}},
    {"from nothing", {30, 30}, {30, 30}, {30, 30}, {110, 90}},
    {"to nothing", {30, 30}, {110, 90}, {30, 30}, {110, 30}},
    {"thin to tall", {10, 50}, {140, 52}, {10, 50}, {140, 110}},
    {"over the screen's edge", {-21, -13}, {60, 45}, {-21, -13}, {75, 52}},
};

const std::array<std::pair<QRgb, QRgb>, 3> Colours = {{
    {0xd02a5e, 0x3cb371}, // pen and brush apart
    {0x000000, 0xffffff},
    {0x808080, 0x808080}, // the same colour: pen and brush swap to nothing
}};

class BandChangeTest
    : public ::testing::TestWithParam<std::tuple<std::size_t, std::size_t, std::size_t>> {};

TEST_P(BandChangeTest, ChangeEqualsTheOldBandAgainThenTheNew) {
    const auto [figureIndex, brushIndex, penIndex] = GetParam();
    const Figure& figure = Figures[figureIndex];
    const FigureRasterizer rasterizer(Pens[penIndex], Brushes[brushIndex]);
    std::uint32_t seed = 1;
    for (const Move& move : Moves) {
        // The same move also from this figure to the next one, as when the tool changes.
        for (const Figure* next : {&figure, &Figures[(figureIndex + 1) % std::size(Figures)]}) {
            SCOPED_TRACE(std::string(move.name) + " to " + next->name);
            const Raster from = figure.draw(rasterizer, move.fromAnchor, move.fromTrack);
            const Raster to = next->draw(rasterizer, move.toAnchor, move.toTrack);
            const auto change = bandChange(from, to);
            ASSERT_TRUE(change);

            EXPECT_TRUE(sortedApart(change->penToggle)) << "pen toggle";
            EXPECT_TRUE(sortedApart(change->brushToggle)) << "brush toggle";
            EXPECT_TRUE(sortedApart(change->swap)) << "swap";
            const PixelSet pen = pixelsOf(change->penToggle);
            const PixelSet brush = pixelsOf(change->brushToggle);
            const PixelSet swap = pixelsOf(change->swap);
            EXPECT_EQ(common(pen, brush) + common(pen, swap) + common(brush, swap), 0u);
            if (move.fromAnchor == move.toAnchor && move.fromTrack == move.toTrack &&
                next == &figure) {
                EXPECT_TRUE(change->empty()) << "the same band changes nothing";
            }

            for (const auto& [penColour, brushColour] : Colours) {
                const QImage screen = noise(Screen, seed++);
                ImagePainter both(Screen);
                both.setImage(screen);
                both.paint(from, penColour, brushColour, RasterMode::NotXor);
                both.paint(to, penColour, brushColour, RasterMode::NotXor);
                const PixelSet wrong =
                    difference(applied(screen, *change, penColour, brushColour), both.image());
                EXPECT_TRUE(wrong.empty()) << wrong.size() << " pixels differ, the first at "
                                           << wrong.begin()->first << "," << wrong.begin()->second;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Figures, BandChangeTest,
                         ::testing::Combine(::testing::Range<std::size_t>(0, std::size(Figures)),
                                            ::testing::Range<std::size_t>(0, std::size(Brushes)),
                                            ::testing::Range<std::size_t>(0, std::size(Pens))),
                         [](const auto& info) {
                             return test::caseName(
                                 std::string(Figures[std::get<0>(info.param)].name) + " " +
                                 BrushNames[std::get<1>(info.param)] + " " +
                                 penName(Pens[std::get<2>(info.param)]));
                         });

struct HatchPair {
    const char* name;
    Hatch fromHatch;
    int fromScale;
    Hatch toHatch;
    int toScale;
    // The new figure's brush pixels on row 4 end here; at 0 it has none.
    int toBrushEnd;
    bool changes;
};

const HatchPair HatchPairs[] = {
    {"solid at both scales", Hatch::None, 1, Hatch::None, 2, 12, true},
    {"same hatch and scale", Hatch::Cross, 2, Hatch::Cross, 2, 12, true},
    {"hatch scaled differently", Hatch::Cross, 1, Hatch::Cross, 2, 12, false},
    {"another hatch", Hatch::Horizontal, 1, Hatch::Vertical, 1, 12, false},
    {"hatch to solid", Hatch::ForwardDiagonal, 1, Hatch::None, 1, 12, false},
    // A line, or a figure too small for an inside, has no brush to line up.
    {"hatch to no brush", Hatch::ForwardDiagonal, 1, Hatch::None, 1, 0, true},
};

class BandChangeHatchTest : public ::testing::TestWithParam<HatchPair> {};

TEST_P(BandChangeHatchTest, HatchesThatDoNotLineUpGiveNoChange) {
    const HatchPair& c = GetParam();
    Raster from;
    from.pen = {{3, 2, 9}};
    from.brush = {{4, 2, 9}};
    from.hatch = c.fromHatch;
    from.hatchScale = c.fromScale;
    Raster to = from;
    to.brush = c.toBrushEnd ? std::vector<Span>{{4, 2, c.toBrushEnd}} : std::vector<Span>{};
    to.hatch = c.toHatch;
    to.hatchScale = c.toScale;
    const auto change = bandChange(from, to);
    ASSERT_EQ(change.has_value(), c.changes);
    if (!change)
        return;
    const Raster& brushed = c.toBrushEnd ? to : from;
    const std::vector<Span> toggled =
        c.toBrushEnd ? std::vector<Span>{{4, 9, c.toBrushEnd}} : from.brush;
    EXPECT_EQ(change->brushToggle, toggled);
    EXPECT_EQ(change->hatch, brushed.hatch);
    EXPECT_EQ(change->hatchScale, brushed.hatchScale);
}

INSTANTIATE_TEST_SUITE_P(Pairs, BandChangeHatchTest, ::testing::ValuesIn(HatchPairs),
                         [](const auto& info) { return test::caseName(info.param.name); });

} // namespace
} // namespace kerulo
