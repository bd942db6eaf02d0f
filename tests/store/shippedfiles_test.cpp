#include "store/picturepath.h"
#include "store/settingsstore.h"

#include "support/runfolder.h"

#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace kerulo {
namespace {

using test::RunFolder;

// The settings database the build ships, read through a copy so the run folder stays as it is.
TEST(ShippedDatabase, HoldsValidSettings) {
    RunFolder folder;
    const HaloSettings halo = readHaloSettings();
    EXPECT_GE(halo.colour, 0);
    EXPECT_LE(halo.colour, 0xFFFFFF);
    EXPECT_GE(halo.opacity, 0);
    EXPECT_LE(halo.opacity, 255);
    EXPECT_GE(halo.size, 1);
    EXPECT_LE(halo.size, 600);

    const FollowImageSettings follow = readFollowImageSettings();
    EXPECT_GE(follow.offset, 0);
    EXPECT_LE(follow.offset, 130);
    EXPECT_TRUE(follow.fileName.startsWith(QStringLiteral("pic\\")))
        << follow.fileName.toStdString();
    const QString picture = localPicturePath(follow.fileName);
    EXPECT_TRUE(QFileInfo::exists(folder.file(picture))) << picture.toStdString();
    EXPECT_FALSE(QImage(folder.file(picture)).isNull());
}

class ShippedPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedPicture, IsA128PixelSquareWithSoftEdges) {
    const QImage image(QStringLiteral(KERULO_RUN_DIR "/pic/") + QLatin1String(GetParam()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(128, 128));
    ASSERT_TRUE(image.hasAlphaChannel());

    int partial = 0;
    int clear = 0;
    int keyGray = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            partial += qAlpha(p) > 0 && qAlpha(p) < 255;
            clear += qAlpha(p) == 0;
            // The follow window keys out this exact gray, so the picture must not show it.
            keyGray += qAlpha(p) == 255 && qRed(p) == 128 && qGreen(p) == 128 && qBlue(p) == 128;
        }
    }
    EXPECT_GT(partial, 100) << "antialiased edges";
    EXPECT_GT(clear, 128 * 128 / 4) << "a see-through surround";
    EXPECT_EQ(keyGray, 0);
    for (const QPoint corner : {QPoint(0, 0), QPoint(127, 0), QPoint(0, 127), QPoint(127, 127)})
        EXPECT_EQ(qAlpha(image.pixel(corner)), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Store, ShippedPicture, ::testing::Values("ring.png", "arrow.png", "hand.png"),
    [](const auto& info) {
        return std::string(info.param).substr(0, std::string(info.param).find('.'));
    });

} // namespace
} // namespace kerulo
