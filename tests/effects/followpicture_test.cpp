#include "effects/followpicture.h"
#include "effects/pictureerror.h"
#include "support/casename.h"
#include "testpicture.h"
#include "tests/support/runfolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <string>

using kerulo::composeFollowPicture;
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

TEST(LoadFollowPicture, PassesTheDecoderErrorOn) {
    RunFolder run(false);
    EXPECT_THROW(loadFollowPicture(QStringLiteral("pic/none.png")), PictureError);
}

} // namespace
