// The toolbox's pictures as the program gets them: built into it as resources.

#include "pen/jpegdecoder.h"

#include "store/caseprinting.h"
#include "support/casename.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using kerulo::JpegDecoder;

namespace {

using kerulo::test::operator<<;

bool isRed(QRgb p) {
    return qAlpha(p) == 255 && qRed(p) >= 180 && qGreen(p) <= 60 && qBlue(p) <= 60;
}

bool isGrey(QRgb p) {
    const int high = std::max({qRed(p), qGreen(p), qBlue(p)});
    const int low = std::min({qRed(p), qGreen(p), qBlue(p)});
    return qAlpha(p) == 255 && high - low <= 16;
}

bool isClear(QRgb p) {
    return qAlpha(p) == 0;
}

QByteArray resource(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// ---- The six tool images ----

struct ToolCase {
    const char* what;
    const char* path;
    std::vector<QPoint> red;
    std::vector<QPoint> clear;
    std::vector<QPoint> grey;
    // The least number of red pixels.
    int redAtLeast;
};

const ToolCase ToolCases[] = {
    // The line runs along the bottom; the pencil above it is grey.
    {"pencil with a red line",
     ":/pen/tool1.png",
     {{2, 14}, {12, 15}},
     {{0, 0}, {15, 15}},
     {{8, 7}, {10, 4}, {6, 9}},
     20},
    {"red diagonal line",
     ":/pen/tool2.png",
     {{2, 13}, {7, 8}, {8, 7}, {13, 2}},
     {{2, 2}, {13, 13}, {4, 4}, {11, 11}},
     {},
     20},
    {"red square outline",
     ":/pen/tool3.png",
     {{2, 2}, {13, 2}, {2, 13}, {13, 13}, {8, 2}, {2, 8}, {3, 3}},
     {{8, 8}, {5, 5}, {0, 0}, {15, 15}},
     {},
     40},
    // Round: the square's corners stay empty, the middle of each side is drawn.
    {"red circle outline",
     ":/pen/tool4.png",
     {{2, 7}, {7, 2}, {13, 8}, {8, 13}},
     {{2, 2}, {13, 13}, {2, 3}, {8, 8}},
     {},
     30},
    // Between the two: straight sides reaching nearer the corners than the circle's, yet the
    // corner pixel itself empty.
    {"red rounded square outline",
     ":/pen/tool5.png",
     {{2, 3}, {3, 2}, {13, 12}, {8, 2}, {2, 8}},
     {{2, 2}, {13, 13}, {8, 8}, {0, 0}},
     {},
     36},
    {"red X on grey",
     ":/pen/tool6.png",
     {{3, 3}, {12, 12}, {3, 12}, {12, 3}, {7, 7}, {8, 8}},
     {{0, 0}, {15, 15}},
     {{8, 3}, {3, 8}, {1, 8}, {8, 14}},
     30},
};

class ToolImages : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ToolImages, ShowTheirSubjectCrisply) {
    const ToolCase& c = GetParam();
    QImage image;
    ASSERT_TRUE(image.loadFromData(resource(c.path), "PNG")) << c.path;
    ASSERT_EQ(image.size(), QSize(16, 16));
    image = image.convertToFormat(QImage::Format_ARGB32);

    int red = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb p = image.pixel(x, y);
            // Shown at their own size: no half-covered pixels that would blur when enlarged.
            ASSERT_TRUE(qAlpha(p) == 0 || qAlpha(p) == 255) << c.what << " at " << x << "," << y;
            red += isRed(p) ? 1 : 0;
        }
    }
    EXPECT_GE(red, c.redAtLeast) << c.what;
    for (const QPoint& at : c.red)
        EXPECT_TRUE(isRed(image.pixel(at))) << c.what << ": not red at " << at.x() << "," << at.y();
    for (const QPoint& at : c.clear)
        EXPECT_TRUE(isClear(image.pixel(at)))
            << c.what << ": not transparent at " << at.x() << "," << at.y();
    for (const QPoint& at : c.grey)
        EXPECT_TRUE(isGrey(image.pixel(at)))
            << c.what << ": not grey at " << at.x() << "," << at.y();
}

INSTANTIATE_TEST_SUITE_P(Cases, ToolImages, ::testing::ValuesIn(ToolCases), [](const auto& info) {
    return kerulo::test::caseName(info.param.what, info.index);
});

// The pencil's line lies under the pencil, so the red is only in the bottom rows.
TEST(ToolImages, ThePencilsRedIsTheLineBelowIt) {
    QImage image;
    ASSERT_TRUE(image.loadFromData(resource(":/pen/tool1.png"), "PNG"));
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_FALSE(isRed(image.pixel(x, y))) << x << "," << y;
}

// ---- The close picture ----

TEST(ClosePicture, IsABaselineJpeg) {
    const QByteArray data = resource(":/pen/close.jpg");
    ASSERT_FALSE(data.isEmpty());
    const qsizetype scan = data.indexOf(QByteArray("\xff\xda", 2));
    ASSERT_GT(scan, 0);
    EXPECT_GT(data.left(scan).indexOf(QByteArray("\xff\xc0", 2)), 0) << "no baseline frame";
    EXPECT_LT(data.left(scan).indexOf(QByteArray("\xff\xc2", 2)), 0) << "progressive";
}

TEST(ClosePicture, IsAWhiteXOnABlueButton) {
    const QImage image = JpegDecoder::decode(resource(":/pen/close.jpg"), ":/pen/close.jpg");
    ASSERT_EQ(image.size(), QSize(22, 17));

    auto white = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return qRed(p) >= 200 && qGreen(p) >= 200 && qBlue(p) >= 200;
    };
    auto blue = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return qBlue(p) >= qRed(p) + 80 && qBlue(p) >= qGreen(p) + 40;
    };
    // The X's middle and its four ends.
    for (const QPoint& at :
         {QPoint(10, 7), QPoint(11, 8), QPoint(7, 4), QPoint(14, 4), QPoint(7, 11), QPoint(14, 11)})
        EXPECT_TRUE(white(at.x(), at.y())) << "not white at " << at.x() << "," << at.y();
    // Between the X's arms and around it.
    for (const QPoint& at : {QPoint(10, 4), QPoint(7, 8), QPoint(3, 8), QPoint(18, 8),
                             QPoint(10, 1), QPoint(10, 14), QPoint(0, 8), QPoint(10, 16)})
        EXPECT_TRUE(blue(at.x(), at.y())) << "not blue at " << at.x() << "," << at.y();

    int blues = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            blues += blue(x, y) ? 1 : 0;
    EXPECT_GE(blues, image.width() * image.height() * 3 / 4);
}

} // namespace
