#include "effects/haloextent.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace kerulo {
namespace {

const QSize Screen(1920, 1080);
const int MaxSide = HaloExtent::maxSide(Screen);

TEST(HaloExtent, ReachesTheScreensDiagonalBothWays) {
    EXPECT_EQ(MaxSide, 2 * 2203 + 2); // the diagonal of 1920 x 1080 is 2202.9
    EXPECT_EQ(HaloExtent::maxSide({800, 600}), 2 * 1000 + 2);
}

// Halos a screen can show whole keep the window, place and shape of their stored diameter.
TEST(HaloExtent, HalosUpToTheLimitAreCarriedWhole) {
    for (const int diameter : {-5, 0, 1, 100, 101, 600, 4000, MaxSide}) {
        const int side = HaloExtent::windowSide(diameter, MaxSide);
        EXPECT_EQ(side, diameter);
        EXPECT_EQ(HaloExtent::topLeft({500, 400}, diameter, side),
                  QPoint(500 - diameter / 2, 400 - diameter / 2))
            << diameter;
        const int d = std::max(diameter, 0);
        EXPECT_EQ(HaloExtent::shape(diameter, side), QRegion(0, 0, d, d, QRegion::Ellipse))
            << diameter;
    }
}

// What a larger halo shows on the screen is its whole disc's part there, wherever the pointer is:
// each screen pixel is lit exactly when its centre lies inside the disc centred where the whole
// disc would be. Pixels within a pixel of the circle are left alone.
struct LargeHalo {
    int diameter;
    QPoint pointer;
};

class LargeHaloTable : public ::testing::TestWithParam<LargeHalo> {};

TEST_P(LargeHaloTable, ShowsOnScreenWhatTheWholeDiscWould) {
    const LargeHalo c = GetParam();
    const int side = HaloExtent::windowSide(c.diameter, MaxSide);
    ASSERT_EQ(side, MaxSide);
    const QPoint topLeft = HaloExtent::topLeft(c.pointer, c.diameter, side);
    const QRegion shape = HaloExtent::shape(c.diameter, side);
    ASSERT_TRUE(QRect(0, 0, side, side).contains(shape.boundingRect()));

    const double radius = c.diameter / 2.0;
    const double centreX = c.pointer.x() - c.diameter / 2 + radius;
    const double centreY = c.pointer.y() - c.diameter / 2 + radius;
    int wrong = 0;
    for (int y = 0; y < Screen.height(); y += 7)
        for (int x = 0; x < Screen.width(); x += 7) {
            const double distance = std::hypot(x + 0.5 - centreX, y + 0.5 - centreY);
            if (std::abs(distance - radius) < 1.0)
                continue;
            const bool lit = shape.contains(QPoint(x, y) - topLeft);
            wrong += lit != (distance < radius);
        }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Effects, LargeHaloTable,
    ::testing::Values(LargeHalo{MaxSide + 1, {960, 540}}, LargeHalo{MaxSide + 1, {0, 0}},
                      LargeHalo{5000, {1919, 1079}}, LargeHalo{5000, {0, 1079}},
                      LargeHalo{100000, {300, 200}}, LargeHalo{INT_MAX, {1919, 0}},
                      LargeHalo{INT_MAX - 1, {960, 540}}),
    [](const ::testing::TestParamInfo<LargeHalo>& info) {
        return std::to_string(info.param.diameter) + "_at_" +
               std::to_string(info.param.pointer.x()) + "_" +
               std::to_string(info.param.pointer.y());
    });

} // namespace
} // namespace kerulo
