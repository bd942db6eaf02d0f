#include "effects/followpicture.h"
#include "effects/pictureerror.h"
#include "support/casename.h"
#include "testpicture.h"
#include "tests/support/runfolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using kerulo::composeFollowPicture;
using kerulo::followPictureInScreenPixels;
using kerulo::followPictureOpaqueRegion;
using kerulo::loadFollowPicture;
using kerulo::PictureError;
using kerulo::test::caseName;
using kerulo::test::RunFolder;
using kerulo::test::TestPicture;

namespace {

QImage onePixel(int red, int green, int blue, int alpha) {
    QImage picture(1, 1, QImage::Format_RGBA8888);
    uchar* p = picture.scanLine(0);
    p[0] = uchar(red);
    p[1] = uchar(green);
    p[2] = uchar(blue);
    p[3] = uchar(alpha);
    return picture;
}

// ---- The blend over the gray background ----

struct BlendCase {
    int red, green, blue, alpha;
    int shownRed, shownGreen, shownBlue;
};

// Worked out by hand from (p * a + 128 * (255 - a) + 255) div 256; the channels differ so that a
// swapped channel shows.
const BlendCase BlendCases[] = {
    {255, 0, 100, 0, 128, 128, 128},   {255, 0, 100, 1, 128, 127, 128},
    {255, 0, 100, 128, 191, 64, 114},  {255, 0, 200, 254, 254, 1, 199},
    {255, 0, 7, 255, 255, 0, 7},       {128, 128, 128, 77, 128, 128, 128},
    {129, 129, 129, 1, 128, 128, 128}, {10, 20, 30, 200, 36, 44, 51},
};

class BlendTable : public ::testing::TestWithParam<BlendCase> {};

TEST_P(BlendTable, MixesThePictureIntoTheGray) {
    const BlendCase& c = GetParam();
    const QImage shown = composeFollowPicture(onePixel(c.red, c.green, c.blue, c.alpha));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(c.shownRed, c.shownGreen, c.shownBlue))
        << "pixel " << c.red << ", " << c.green << ", " << c.blue << " alpha " << c.alpha;
}

INSTANTIATE_TEST_SUITE_P(Cases, BlendTable, ::testing::ValuesIn(BlendCases), [](const auto& info) {
    const BlendCase& c = info.param;
    return caseName("rgb " + std::to_string(c.red) + " " + std::to_string(c.green) + " " +
                    std::to_string(c.blue) + " alpha " + std::to_string(c.alpha));
});

// ---- What ends up exactly gray is see-through ----

struct SeeThroughCase {
    const char* what;
    int red, green, blue, alpha;
    bool seeThrough;
};

const SeeThroughCase SeeThroughCases[] = {
    {"opaque background gray", 128, 128, 128, 255, true},
    {"opaque, blue one off the gray", 128, 128, 129, 255, false},
    {"opaque, red one off the gray", 127, 128, 128, 255, false},
    {"fully transparent", 255, 0, 0, 0, true},
    {"nearly transparent, mixes to the gray", 129, 129, 129, 1, true},
    {"nearly transparent, mixes just below the gray", 0, 0, 0, 1, false},
    {"opaque black", 0, 0, 0, 255, false},
};

class SeeThroughTable : public ::testing::TestWithParam<SeeThroughCase> {};

TEST_P(SeeThroughTable, OnlyExactGrayIsSeeThrough) {
    const SeeThroughCase& c = GetParam();
    const QImage shown = composeFollowPicture(onePixel(c.red, c.green, c.blue, c.alpha));
    EXPECT_EQ(followPictureOpaqueRegion(shown), c.seeThrough ? QRegion() : QRegion(0, 0, 1, 1))
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, SeeThroughTable, ::testing::ValuesIn(SeeThroughCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- Placement: top-left corner, natural size, cut at 128 ----

QRgb patternAt(int x, int y) {
    return qRgb(x & 0xff, y & 0xff, 7);
}

struct SizeCase {
    QSize picture;
    QRect covered;
};

const SizeCase SizeCases[] = {
    {{10, 20}, {0, 0, 10, 20}}, {{128, 128}, {0, 0, 128, 128}}, {{300, 200}, {0, 0, 128, 128}},
    {{200, 1}, {0, 0, 128, 1}}, {{1, 300}, {0, 0, 1, 128}},
};

class SizeTable : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeTable, ShowsTheTopLeftPartUnscaled) {
    const SizeCase& c = GetParam();
    QImage picture(c.picture, QImage::Format_RGBA8888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, patternAt(x, y));

    const QImage shown = composeFollowPicture(picture);
    ASSERT_EQ(shown.size(), QSize(128, 128));
    EXPECT_EQ(shown.format(), QImage::Format_RGB32);
    int wrong = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const QRgb expected = c.covered.contains(x, y) ? patternAt(x, y) : qRgb(128, 128, 128);
            if (shown.pixel(x, y) != expected && wrong++ < 3)
                ADD_FAILURE() << "pixel " << x << ", " << y << " of a " << c.picture.width()
                              << " x " << c.picture.height() << " picture";
        }
    EXPECT_EQ(followPictureOpaqueRegion(shown), QRegion(c.covered));
}

INSTANTIATE_TEST_SUITE_P(Cases, SizeTable, ::testing::ValuesIn(SizeCases), [](const auto& info) {
    return caseName(std::to_string(info.param.picture.width()) + " x " +
                    std::to_string(info.param.picture.height()));
});

// ---- From the file to the window's pixels ----

struct Shown {
    QRgb colour;
    bool seeThrough;
};

struct LoadCase {
    const char* what;
    TestPicture picture;
    std::vector<Shown> expected; // the first row, left to right
};

const QRgb Gray = qRgb(128, 128, 128);

const LoadCase LoadCases[] = {
    {"palette with tRNS",
     TestPicture(PNG_COLOR_TYPE_PALETTE, 8, 3, 1, {0, 1, 2})
         .withPalette({{255, 0, 100}, {255, 0, 100}, {128, 128, 128}})
         .withPaletteAlpha({0, 128}),
     {{Gray, true}, {qRgb(191, 64, 114), false}, {Gray, true}}},
    {"grey and alpha",
     TestPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 3, 1, {255, 0, 255, 128, 0, 255}),
     {{Gray, true}, {qRgb(191, 191, 191), false}, {qRgb(0, 0, 0), false}}},
    {"RGBA, 16 bit",
     TestPicture(PNG_COLOR_TYPE_RGB_ALPHA, 16, 2, 1,
                 {0xffff, 0, 0x6464, 0x8080, 0x8080, 0x8080, 0x8181, 0xffff}),
     {{qRgb(191, 64, 114), false}, {qRgb(128, 128, 129), false}}},
    {"grey, 1 bit",
     TestPicture(PNG_COLOR_TYPE_GRAY, 1, 3, 1, {1, 0, 1}),
     {{qRgb(255, 255, 255), false}, {qRgb(0, 0, 0), false}, {qRgb(255, 255, 255), false}}},
};

class LoadTable : public ::testing::TestWithParam<LoadCase> {
protected:
    RunFolder m_run{false};
};

TEST_P(LoadTable, ComposesTheDecodedPicture) {
    const LoadCase& c = GetParam();
    QDir().mkpath(QStringLiteral("pic"));
    c.picture.write(QStringLiteral("pic/p.png"));
    const QImage shown = loadFollowPicture(QStringLiteral("pic/p.png"));
    const QRegion opaque = followPictureOpaqueRegion(shown);
    for (int x = 0; x < int(c.expected.size()); ++x) {
        EXPECT_EQ(shown.pixel(x, 0), c.expected[x].colour) << c.what << ", pixel " << x;
        EXPECT_EQ(opaque.contains(QPoint(x, 0)), !c.expected[x].seeThrough)
            << c.what << ", pixel " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadTable, ::testing::ValuesIn(LoadCases),
                         [](const auto& info) { return caseName(info.param.what); });

// ---- The picture in the screen's pixels on a scaled display ----

// Blocks of several colours with see-through gaps between them, none lined up with the scale.
QImage blocks() {
    QImage picture(128, 128, QImage::Format_RGBA8888);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const bool opaque = (x / 5 + y / 7) % 3 == 0;
            picture.setPixelColor(x, y, QColor(x * 2, 255 - y, (x + y) % 256, opaque ? 255 : 0));
        }
    return composeFollowPicture(picture);
}

bool isGray(QRgb pixel) {
    return (pixel & 0xffffff) == (Gray & 0xffffff);
}

struct ScreenCase {
    const char* name;
    double factor;
    int side; // in screen pixels
    // How far from a picture pixel's scaled square, in screen pixels, the centre of a screen
    // pixel inside the window's shape may lie: at whole factors the shape is scaled exactly, so
    // only pixels within the squares; elsewhere the toolkit rounds the edges up to half a pixel
    // outwards, which reaches screen pixels whose centres lie up to a pixel outside.
    double shapeReach;
};

const ScreenCase ScreenCases[] = {
    {"unscaled", 1, 128, 0.5},    {"scaled by 1.25", 1.25, 160, 1}, {"scaled by 1.5", 1.5, 192, 1},
    {"scaled by 2", 2, 256, 0.5}, {"scaled by 1.1", 1.1, 141, 1},
};

class ScreenTable : public ::testing::TestWithParam<ScreenCase> {};

// Every screen pixel whose centre lies in a picture pixel shows that pixel's colour, unblended.
TEST_P(ScreenTable, EachScreenPixelShowsThePicturePixelItsCentreLiesIn) {
    const ScreenCase& c = GetParam();
    const QImage composed = blocks();
    const QImage shown = followPictureInScreenPixels(composed, c.factor);
    ASSERT_EQ(shown.size(), QSize(c.side, c.side));
    int wrong = 0;
    for (int y = 0; y < c.side; ++y)
        for (int x = 0; x < c.side; ++x) {
            const QPointF centre((x + 0.5) / c.factor, (y + 0.5) / c.factor);
            const QRgb under = composed.pixel(int(centre.x()), int(centre.y()));
            if (!isGray(under))
                wrong += shown.pixel(x, y) != under;
        }
    EXPECT_EQ(wrong, 0);
}

// The toolkit scales the window's shape from logical pixels: every screen pixel the shape may
// reach shows a colour of the picture, never the gray that would show as a rim. Farther out
// the gray stays (nothing shows it).
TEST_P(ScreenTable, TheGrayNextToThePictureTakesAPictureColour) {
    const ScreenCase& c = GetParam();
    const QImage composed = blocks();
    const QImage shown = followPictureInScreenPixels(composed, c.factor);
    ASSERT_EQ(shown.size(), QSize(c.side, c.side));
    std::set<QRgb> pictureColours;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            pictureColours.insert(composed.pixel(x, y));
    // Whether a screen pixel's centre lies within a distance of a picture pixel's scaled
    // square, measured along the farther axis, in screen pixels.
    const auto nearPicture = [&](int sx, int sy, double within) {
        const double cx = sx + 0.5, cy = sy + 0.5;
        const auto from = [&](double v) { return std::max(0, int((v - within) / c.factor) - 1); };
        const auto to = [&](double v) { return std::min(127, int((v + within) / c.factor) + 1); };
        for (int y = from(cy); y <= to(cy); ++y)
            for (int x = from(cx); x <= to(cx); ++x) {
                if (isGray(composed.pixel(x, y)))
                    continue;
                const double dx = std::max({x * c.factor - cx, cx - (x + 1) * c.factor, 0.0});
                const double dy = std::max({y * c.factor - cy, cy - (y + 1) * c.factor, 0.0});
                // A centre exactly at the reach is the toolkit's tie, which it may round either
                // way; the picture's own rounding decides those alike.
                if (std::max(dx, dy) < within - 1e-9)
                    return true;
            }
        return false;
    };
    int rim = 0, beyond = 0;
    for (int y = 0; y < c.side; ++y)
        for (int x = 0; x < c.side; ++x) {
            const QRgb seen = shown.pixel(x, y);
            EXPECT_TRUE(pictureColours.count(seen)) << x << "," << y;
            if (!isGray(seen))
                continue;
            if (nearPicture(x, y, c.shapeReach))
                ++rim;
            else if (!nearPicture(x, y, 2.0 + c.factor))
                continue;
            else
                ++beyond;
        }
    EXPECT_EQ(rim, 0) << "gray screen pixels within a pixel of the picture";
    EXPECT_GT(beyond, 0) << "the gray farther out stays see-through";
}

INSTANTIATE_TEST_SUITE_P(Cases, ScreenTable, ::testing::ValuesIn(ScreenCases),
                         [](const auto& info) { return caseName(info.param.name); });

TEST(FollowPictureInScreenPixels, KeepsThePictureAsItIsAtScaleOne) {
    const QImage composed = blocks();
    EXPECT_EQ(followPictureInScreenPixels(composed, 1), composed);
    EXPECT_EQ(followPictureInScreenPixels(composed, 0), composed);
}

TEST(FollowPictureInScreenPixels, DoublesEachPixelAtScaleTwo) {
    const QImage composed = blocks();
    const QImage shown = followPictureInScreenPixels(composed, 2);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            if (isGray(composed.pixel(x, y)))
                continue;
            for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                ASSERT_EQ(shown.pixel(QPoint(2 * x, 2 * y) + d), composed.pixel(x, y))
                    << x << "," << y;
        }
}

TEST(LoadFollowPicture, PassesTheDecoderErrorOn) {
    RunFolder run(false);
    EXPECT_THROW(loadFollowPicture(QStringLiteral("pic/none.png")), PictureError);
}

} // namespace
