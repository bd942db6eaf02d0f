#include "image/inkimage.h"

#include "support/casename.h"
#include "testfigures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

using kerulo::Hatch;
using kerulo::InkImage;
using kerulo::Raster;
using kerulo::RasterMode;
using kerulo::Span;
using kerulo::test::classOf;
using kerulo::test::PixelClass;

using kerulo::test::rectangleFigure;

namespace {

const QSize ImageSize(200, 150);
constexpr QRgb Red = 0xff0000;
constexpr QRgb Green = 0x00ff00;
constexpr QRgb Blue = 0x2040c0;
constexpr QRgb White = 0xffffff;

// The windows beneath: pixels that all differ from their neighbours, so that a pixel read from
// the wrong place shows; `variant` stands for the windows having changed.
QRgb screenPixel(int x, int y, int variant) {
    return qRgb((x * 7 + variant * 50) & 255, (y * 13) & 255, (x + y + variant * 90) & 255);
}

// The screen as a compositor shows it: the layer as last presented, over the windows beneath.
struct FakeScreen {
    int variant = 0;
    long long pixelsRead = 0;
    std::vector<QRect> areasRead;
    std::vector<quint32> presented =
        std::vector<quint32>(size_t(ImageSize.width() * ImageSize.height()), 0);

    InkImage::ScreenReader reader() {
        return [this](const std::vector<QRect>& areas, quint32* screen) {
            for (const QRect& a : areas) {
                areasRead.push_back(a);
                pixelsRead += (long long)a.width() * a.height();
                for (int y = a.top(); y <= a.bottom(); ++y)
                    for (int x = a.left(); x <= a.right(); ++x) {
                        const size_t i = size_t(y * ImageSize.width() + x);
                        // The alpha a screen read gives is whatever the server sends.
                        screen[i] = qAlpha(presented[i]) ? presented[i] & 0xffffffu
                                                         : screenPixel(x, y, variant) & 0xffffffu;
                    }
            }
        };
    }
};

struct Paint {
    Raster figure;
    QRgb pen;
    QRgb brush;
    RasterMode mode;
};

class Ink {
public:
    Ink() : image(ImageSize, screen.reader()) {}
    // Each paint reaches the screen before the next, as when every paint is a mouse event of
    // its own, unless the paints are to be looked at together.
    void paint(const Paint& p) {
        image.paint(p.figure, p.pen, p.brush, p.mode);
        if (presentEachPaint)
            present();
    }
    void present() {
        image.takeChanges();
        if (const quint32* pixels = image.pixels())
            std::copy(pixels, pixels + screen.presented.size(), screen.presented.begin());
    }
    // What the screen shows at a pixel: the layer where it is opaque, else the screen beneath.
    QRgb visible(int x, int y) {
        const QRgb p = image.pixel(x, y);
        return qAlpha(p) ? p : (screenPixel(x, y, screen.variant) | 0xff000000u);
    }
    std::vector<QRgb> layer() {
        std::vector<QRgb> out;
        for (int y = 0; y < ImageSize.height(); ++y)
            for (int x = 0; x < ImageSize.width(); ++x)
                out.push_back(image.pixel(x, y));
        return out;
    }
    std::vector<QRgb> shown() {
        std::vector<QRgb> out;
        for (int y = 0; y < ImageSize.height(); ++y)
            for (int x = 0; x < ImageSize.width(); ++x)
                out.push_back(visible(x, y));
        return out;
    }

    bool presentEachPaint = true;
    FakeScreen screen;
    InkImage image;
};

QRgb notXor(QRgb colour, QRgb on) {
    return (~(colour ^ on) & 0xffffffu) | 0xff000000u;
}

TEST(InkImage, StartsClearAndEmpty) {
    Ink ink;
    EXPECT_FALSE(ink.image.hasStrokes());
    EXPECT_EQ(ink.image.pixels(), nullptr);
    EXPECT_TRUE(ink.image.takeChanges().empty());
    EXPECT_EQ(ink.image.pixel(10, 10), 0u);
}

struct CopyCase {
    const char* what;
    Raster figure;
};

void PrintTo(const CopyCase& c, std::ostream* os) {
    *os << c.what;
}

class CopyFigures : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopyFigures, TakeThePenAndBrushColoursOnTheHatchLinesOnly) {
    const Raster& f = GetParam().figure;
    Ink ink;
    ink.paint({f, Red, Green, RasterMode::Copy});
    int wrong = 0;
    bool anyOnImage = false;
    for (int y = 0; y < ImageSize.height(); ++y)
        for (int x = 0; x < ImageSize.width(); ++x) {
            const PixelClass c = classOf(f, x, y);
            const QRgb want = c == PixelClass::Pen     ? (Red | 0xff000000u)
                              : c == PixelClass::Brush ? (Green | 0xff000000u)
                                                       : 0;
            wrong += ink.image.pixel(x, y) != want;
            anyOnImage = anyOnImage || want != 0;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(ink.image.hasStrokes(), anyOnImage);
    EXPECT_EQ(ink.screen.pixelsRead, 0) << "copy mode needs nothing from the screen";
}

const CopyCase CopyCases[] = {
    {"solid", rectangleFigure(QRect(20, 30, 100, 60))},
    {"hollow", rectangleFigure(QRect(20, 30, 100, 60), false)},
    {"horizontal hatch", rectangleFigure(QRect(20, 30, 100, 60), true, Hatch::Horizontal)},
    {"vertical hatch", rectangleFigure(QRect(20, 30, 100, 60), true, Hatch::Vertical)},
    {"forward diagonal hatch",
     rectangleFigure(QRect(20, 30, 100, 60), true, Hatch::ForwardDiagonal)},
    {"backward diagonal hatch",
     rectangleFigure(QRect(21, 33, 100, 60), true, Hatch::BackwardDiagonal)},
    {"cross hatch, scaled by 2", rectangleFigure(QRect(20, 30, 100, 60), true, Hatch::Cross, 2)},
    {"partly off the image", rectangleFigure(QRect(-30, -20, 300, 100))},
    {"wholly off the image", rectangleFigure(QRect(300, 300, 20, 20))},
};

INSTANTIATE_TEST_SUITE_P(Cases, CopyFigures, ::testing::ValuesIn(CopyCases),
                         [](const auto& info) { return kerulo::test::caseName(info.param.what); });

struct NotXorCase {
    const char* what;
    std::vector<Paint> before; // what is on the layer first
    Paint figure;              // painted twice, in not-xor
    bool screenChangesFirst = false;
};

void PrintTo(const NotXorCase& c, std::ostream* os) {
    *os << c.what;
}

class NotXorFigures : public ::testing::TestWithParam<NotXorCase> {};

// Each pixel the figure touches shows NOT(colour XOR what it showed); the second painting
// gives back the layer exactly as it was, every pixel of it.
TEST_P(NotXorFigures, ShowTheComplementOfColourXorScreenAndUndoThemselves) {
    const NotXorCase& c = GetParam();
    Ink ink;
    for (const Paint& p : c.before)
        ink.paint(p);
    if (c.screenChangesFirst) {
        ink.screen.variant = 1;
        ink.image.forgetScreen();
    }
    const std::vector<QRgb> layerBefore = ink.layer();
    const std::vector<QRgb> shownBefore = ink.shown();

    ink.paint(c.figure);
    int wrong = 0;
    const Raster& f = c.figure.figure;
    for (int y = 0; y < ImageSize.height(); ++y)
        for (int x = 0; x < ImageSize.width(); ++x) {
            const QRgb was = shownBefore[size_t(y * ImageSize.width() + x)];
            const PixelClass k = classOf(f, x, y);
            const QRgb want = k == PixelClass::Pen     ? notXor(c.figure.pen, was)
                              : k == PixelClass::Brush ? notXor(c.figure.brush, was)
                                                       : was;
            wrong += ink.visible(x, y) != want;
        }
    EXPECT_EQ(wrong, 0) << "pixels not showing what not-xor shows";

    ink.paint(c.figure);
    EXPECT_EQ(ink.layer(), layerBefore);
}

const Paint Committed{rectangleFigure(QRect(40, 40, 80, 50)), Blue, Green, RasterMode::Copy};
const Paint LeftBand{rectangleFigure(QRect(10, 10, 60, 60)), Red, Blue, RasterMode::NotXor};

const NotXorCase NotXorCases[] = {
    {"solid over a clear layer",
     {},
     {rectangleFigure(QRect(20, 30, 100, 60)), Red, Green, RasterMode::NotXor}},
    {"hollow over a clear layer",
     {},
     {rectangleFigure(QRect(20, 30, 100, 60), false), Red, Green, RasterMode::NotXor}},
    {"over committed strokes",
     {Committed},
     {rectangleFigure(QRect(20, 30, 100, 60)), Red, Green, RasterMode::NotXor}},
    {"over a band left beside a committed figure",
     {LeftBand, Committed},
     {rectangleFigure(QRect(30, 20, 100, 60)), Red, Green, RasterMode::NotXor}},
    {"cross hatch",
     {Committed},
     {rectangleFigure(QRect(20, 30, 100, 60), true, Hatch::Cross), Red, Green, RasterMode::NotXor}},
    {"diagonal hatch scaled by 2",
     {Committed},
     {rectangleFigure(QRect(20, 30, 100, 60), true, Hatch::ForwardDiagonal, 2), Red, Green,
      RasterMode::NotXor}},
    {"white pen and brush change nothing",
     {Committed},
     {rectangleFigure(QRect(20, 30, 100, 60)), White, White, RasterMode::NotXor}},
    {"black pen",
     {Committed},
     {rectangleFigure(QRect(20, 30, 100, 60)), 0x000000, 0x000000, RasterMode::NotXor}},
    {"partly off the image",
     {Committed},
     {rectangleFigure(QRect(-20, 100, 300, 100)), Red, Green, RasterMode::NotXor}},
    {"after the windows beneath changed",
     {Committed},
     {rectangleFigure(QRect(20, 30, 100, 60)), Red, Green, RasterMode::NotXor},
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, NotXorFigures, ::testing::ValuesIn(NotXorCases),
                         [](const auto& info) { return kerulo::test::caseName(info.param.what); });

// A rubber band paints the old figure away and the new one in; the image must end the same
// whether it is looked at after every paint or only at the end, whatever the figures' hatches,
// and where a figure is painted again in other colours or another hatch.
TEST(InkImage, RubberBandEndsTheSameLookedAtAfterEveryPaintOrOnlyAtTheEnd) {
    const std::vector<Paint> steps = {
        Committed,
        {rectangleFigure(QRect(10, 10, 30, 20)), Red, Green, RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 30, 20)), Red, Green, RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 90, 70)), Red, Green, RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 90, 70)), Red, Green, RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 95, 75), true, Hatch::Cross), Red, Green,
         RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 95, 75), true, Hatch::Cross), Red, Green,
         RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 99, 80), true, Hatch::Vertical), Red, Blue,
         RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 99, 80), true, Hatch::Vertical), Red, Blue,
         RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 120, 90), false), Red, Blue, RasterMode::NotXor},
        {rectangleFigure(QRect(10, 10, 120, 91)), Blue, Red, RasterMode::Copy},
        // The same pixels twice, beside the committed figure, but not the same paint: none of
        // these takes the first away.
        {rectangleFigure(QRect(135, 10, 50, 40)), Red, Green, RasterMode::NotXor},
        {rectangleFigure(QRect(135, 10, 50, 40)), Blue, Green, RasterMode::NotXor},
        {rectangleFigure(QRect(138, 14, 50, 40)), Red, Green, RasterMode::NotXor},
        {rectangleFigure(QRect(138, 14, 50, 40)), Red, Blue, RasterMode::NotXor},
        {rectangleFigure(QRect(141, 18, 50, 40), true, Hatch::Cross), Red, Green,
         RasterMode::NotXor},
        {rectangleFigure(QRect(141, 18, 50, 40), true, Hatch::Horizontal), Red, Green,
         RasterMode::NotXor},
        {rectangleFigure(QRect(144, 22, 50, 40), true, Hatch::Cross, 1), Red, Green,
         RasterMode::NotXor},
        {rectangleFigure(QRect(144, 22, 50, 40), true, Hatch::Cross, 2), Red, Green,
         RasterMode::NotXor},
    };
    Ink stepwise, atOnce;
    atOnce.presentEachPaint = false;
    for (const Paint& p : steps) {
        stepwise.paint(p);
        atOnce.paint(p);
    }
    EXPECT_EQ(stepwise.layer(), atOnce.layer());
}

TEST(InkImage, TheLastRubberBandStaysBesideTheCommittedFigureThroughLaterBands) {
    Ink ink;
    const Paint band{rectangleFigure(QRect(10, 10, 60, 60)), Red, Green, RasterMode::NotXor};
    ink.paint(band);
    const QRgb left = ink.visible(30, 30);
    ink.paint({rectangleFigure(QRect(100, 20, 40, 40)), Blue, Blue, RasterMode::Copy});
    const std::vector<QRgb> before = ink.layer();

    const Paint later{rectangleFigure(QRect(0, 0, 120, 100)), Red, Green, RasterMode::NotXor};
    ink.paint(later);
    ink.paint(later);
    EXPECT_EQ(ink.layer(), before);
    EXPECT_EQ(ink.visible(30, 30), left);
    EXPECT_EQ(left, notXor(Green, screenPixel(30, 30, 0)));
}

// An ellipse in the box `r`: its outline as the pen, each row's part covering the step to the
// next row's extent so that slanted edges run one pixel a row; unless hollow, the rest of each
// row as the brush.
Raster ellipseFigure(const QRect& r, bool filled = true) {
    const double cx = r.left() + r.width() / 2.0, cy = r.top() + r.height() / 2.0;
    const double a = r.width() / 2.0, b = r.height() / 2.0;
    std::vector<std::pair<int, int>> extent; // per row of r, or empty
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const double dy = (y + 0.5 - cy) / b;
        const double half = dy * dy < 1 ? a * std::sqrt(1 - dy * dy) : 0;
        extent.push_back({int(std::lround(cx - half)), int(std::lround(cx + half))});
    }
    Raster out;
    for (int i = 0; i < int(extent.size()); ++i) {
        const auto [x0, x1] = extent[size_t(i)];
        if (x1 <= x0)
            continue;
        const auto [n0, n1] =
            i + 1 < int(extent.size()) && extent[size_t(i + 1)].second > extent[size_t(i + 1)].first
                ? extent[size_t(i + 1)]
                : extent[size_t(i)];
        const int leftEnd = std::max(x0, n0) + 1, rightStart = std::min(x1, n1) - 1;
        const int y = r.top() + i;
        if (leftEnd >= rightStart) {
            out.pen.push_back({y, std::min(x0, n0), std::max(x1, n1)});
            continue;
        }
        out.pen.push_back({y, std::min(x0, n0), leftEnd});
        if (filled)
            out.brush.push_back({y, leftEnd, rightStart});
        out.pen.push_back({y, rightStart, std::max(x1, n1)});
    }
    return out;
}

// A line one pixel wide going down and right from (x, 10), a pixel a row.
Raster diagonalFigure(int x) {
    Raster out;
    for (int y = 10; y < 130; ++y)
        out.pen.push_back({y, x + y - 10, x + y - 9});
    return out;
}

struct MoveCase {
    const char* what;
    Paint from;
    Paint to;
    long long maxArea; // what the changes may send at most
};

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.what;
}

class BandMoves : public ::testing::TestWithParam<MoveCase> {};

// What goes to the screen after a move: every pixel that changed, and no row of a rectangle
// without one.
TEST_P(BandMoves, ChangesCoverEveryChangedPixelAndOnlyRowsThatChanged) {
    const MoveCase& c = GetParam();
    Ink ink;
    ink.presentEachPaint = false;
    ink.paint({rectangleFigure(QRect(60, 5, 30, 140)), Blue, Green, RasterMode::Copy});
    ink.paint(c.from);
    ink.present();
    const std::vector<QRgb> before = ink.layer();

    ink.paint(c.from);
    ink.paint(c.to);
    const std::vector<QRect> changes = ink.image.takeChanges();
    const std::vector<QRgb> after = ink.layer();
    const auto changed = [&](int x, int y) {
        const size_t i = size_t(y * ImageSize.width() + x);
        return before[i] != after[i];
    };

    int uncovered = 0;
    for (int y = 0; y < ImageSize.height(); ++y)
        for (int x = 0; x < ImageSize.width(); ++x) {
            if (!changed(x, y))
                continue;
            bool covered = false;
            for (const QRect& r : changes)
                covered = covered || r.contains(x, y);
            uncovered += !covered;
        }
    EXPECT_EQ(uncovered, 0) << "changed pixels outside the reported areas";

    long long area = 0;
    int idleRows = 0;
    for (const QRect& r : changes) {
        ASSERT_TRUE(QRect(QPoint(0, 0), ImageSize).contains(r)) << "area off the image";
        area += (long long)r.width() * r.height();
        for (int y = r.top(); y <= r.bottom(); ++y) {
            bool any = false;
            for (int x = r.left(); x <= r.right() && !any; ++x)
                any = changed(x, y);
            idleRows += !any;
        }
    }
    EXPECT_EQ(idleRows, 0) << "rows sent that hold no changed pixel";
    EXPECT_LE(area, c.maxArea);
    int rows = 0;
    for (int y = 0; y < ImageSize.height(); ++y) {
        bool any = false;
        for (int x = 0; x < ImageSize.width() && !any; ++x)
            any = changed(x, y);
        rows += any;
    }
    // Every request costs the server more than a few pixels more would: slanted edges go as
    // rectangles of several rows.
    EXPECT_LE(changes.size(), size_t(rows / 2 + 4)) << "about a rectangle per changed row";

    ink.paint(c.to);
    ink.paint(c.to);
    EXPECT_TRUE(ink.image.takeChanges().empty()) << "a figure painted twice changes nothing";
}

const MoveCase MoveCases[] = {
    // The right and bottom edges moved: about them, not the figure's whole interior.
    {"solid rectangle grows by a pixel",
     {rectangleFigure(QRect(20, 20, 150, 100)), Red, Green, RasterMode::NotXor},
     {rectangleFigure(QRect(20, 20, 151, 101)), Red, Green, RasterMode::NotXor},
     150LL * 100 / 4},
    {"hollow rectangle moves",
     {rectangleFigure(QRect(20, 20, 150, 100), false), Red, Green, RasterMode::NotXor},
     {rectangleFigure(QRect(23, 22, 150, 100), false), Red, Green, RasterMode::NotXor},
     150LL * 100 / 3},
    {"cross-hatched rectangle grows",
     {rectangleFigure(QRect(20, 20, 150, 100), true, Hatch::Cross), Red, Green, RasterMode::NotXor},
     {rectangleFigure(QRect(20, 20, 155, 104), true, Hatch::Cross), Red, Green, RasterMode::NotXor},
     150LL * 100 / 2},
    {"horizontally hatched rectangle moves down",
     {rectangleFigure(QRect(20, 20, 150, 100), true, Hatch::Horizontal), Red, Green,
      RasterMode::NotXor},
     {rectangleFigure(QRect(20, 21, 150, 100), true, Hatch::Horizontal), Red, Green,
      RasterMode::NotXor},
     200LL * 150},
    {"ellipse grows",
     {ellipseFigure(QRect(10, 10, 180, 130)), Red, Green, RasterMode::NotXor},
     {ellipseFigure(QRect(10, 10, 183, 132)), Red, Green, RasterMode::NotXor},
     180LL * 130 / 3},
    {"hollow ellipse shrinks",
     {ellipseFigure(QRect(5, 5, 190, 140), false), Red, Green, RasterMode::NotXor},
     {ellipseFigure(QRect(6, 6, 188, 138), false), Red, Green, RasterMode::NotXor},
     190LL * 140 / 3},
    {"diagonal line jumps aside",
     {diagonalFigure(10), Red, Green, RasterMode::NotXor},
     {diagonalFigure(50), Red, Green, RasterMode::NotXor},
     120LL * 2 * 40},
    {"ellipse partly off the image",
     {ellipseFigure(QRect(-50, -40, 200, 150)), Red, Green, RasterMode::NotXor},
     {ellipseFigure(QRect(-48, -40, 202, 153)), Red, Green, RasterMode::NotXor},
     200LL * 150 / 2},
};

INSTANTIATE_TEST_SUITE_P(Cases, BandMoves, ::testing::ValuesIn(MoveCases),
                         [](const auto& info) { return kerulo::test::caseName(info.param.what); });

TEST(InkImage, ReadsTheScreenOnlyWhereTheBandChangesItAndOncePerBand) {
    Ink ink;
    const Paint small{rectangleFigure(QRect(100, 100, 10, 10)), Red, Green, RasterMode::NotXor};
    ink.paint(small);
    EXPECT_GT(ink.screen.pixelsRead, 0);
    EXPECT_LE(ink.screen.pixelsRead, 2 * 64 * 32) << "far more of the screen read than needed";
    for (const QRect& a : ink.screen.areasRead)
        EXPECT_TRUE(a.intersects(QRect(100, 100, 10, 10)));

    const long long afterFirst = ink.screen.pixelsRead;
    ink.paint(small);
    ink.paint(small);
    EXPECT_EQ(ink.screen.pixelsRead, afterFirst) << "the band read the screen again";

    // A committed figure ends the band; the next one sees the screen as it is then.
    ink.paint(small);
    ink.paint({rectangleFigure(QRect(0, 0, 5, 5)), Blue, Blue, RasterMode::Copy});
    ink.screen.variant = 2;
    ink.paint(small);
    EXPECT_EQ(ink.visible(100, 100), notXor(Red, screenPixel(100, 100, 2)));
    EXPECT_GT(ink.screen.pixelsRead, afterFirst);
}

TEST(InkImage, HasStrokesWhileAnyPixelShows) {
    Ink ink;
    const Paint band{rectangleFigure(QRect(10, 10, 50, 50)), Red, Green, RasterMode::NotXor};
    ink.paint(band);
    EXPECT_TRUE(ink.image.hasStrokes());
    ink.paint(band);
    EXPECT_FALSE(ink.image.hasStrokes());
    ink.paint({rectangleFigure(QRect(10, 10, 50, 50), false), Red, Green, RasterMode::Copy});
    EXPECT_TRUE(ink.image.hasStrokes());
}

TEST(InkImage, ClearLeavesEveryPixelClearAndNothingPainted) {
    Ink ink;
    ink.paint(Committed);
    ink.paint(LeftBand);
    ink.image.clear();
    EXPECT_FALSE(ink.image.hasStrokes());
    EXPECT_EQ(ink.layer(), std::vector<QRgb>(size_t(ImageSize.width() * ImageSize.height()), 0));
    EXPECT_TRUE(ink.image.paintedTiles(QRect(QPoint(0, 0), ImageSize)).empty());
    EXPECT_TRUE(ink.image.takeChanges().empty());

    // A band after clearing restores to the clear layer, not to what was there before.
    ink.paint(LeftBand);
    ink.paint(LeftBand);
    EXPECT_FALSE(ink.image.hasStrokes());
}

TEST(InkImage, PaintedTilesAreTheTilesFiguresReachedWithinTheArea) {
    Ink ink;
    ink.paint({rectangleFigure(QRect(40, 20, 10, 10)), Red, Green, RasterMode::Copy});
    const std::vector<QRect> all = ink.image.paintedTiles(QRect(0, 0, 200, 150));
    // Pixels 40..49 x 20..29: tile columns 2 and 3, tile rows 1.
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0], QRect(32, 16, 32, 16));
    EXPECT_TRUE(ink.image.paintedTiles(QRect(100, 100, 50, 50)).empty());
    EXPECT_EQ(ink.image.paintedTiles(QRect(50, 0, 5, 100)),
              std::vector<QRect>{QRect(48, 16, 16, 16)});
}

} // namespace
