#include "effects/followplacement.h"

#include <gtest/gtest.h>

#include <climits>

namespace kerulo {
namespace {

using namespace FollowPlacement;

TEST(FollowPlacement, FollowImageHangsAtThePointerMinusTheOffset) {
    const struct {
        int offset;
        QPoint topLeft;
    } cases[] = {{0, {500, 400}},
                 {65, {435, 335}},
                 {130, {370, 270}},
                 {-20, {520, 420}},
                 {1000, {-500, -600}},
                 // Offsets at the integer limits wrap around instead of overflowing.
                 {INT_MAX, {500 - INT_MAX, 400 - INT_MAX}},
                 {INT_MIN, {500 + INT_MIN, 400 + INT_MIN}}};
    for (const auto& c : cases)
        EXPECT_EQ(followTopLeft({500, 400}, c.offset), c.topLeft) << c.offset;
}

TEST(FollowPlacement, HaloIsCentredWithHalfTheDiameterTruncated) {
    const struct {
        int diameter;
        int half;
    } cases[] = {{1, 0}, {2, 1}, {100, 50}, {101, 50}, {600, 300}, {0, 0}, {-3, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(haloTopLeft({500, 400}, c.diameter), QPoint(500 - c.half, 400 - c.half))
            << c.diameter;
}

TEST(FollowPlacement, OpacityKeepsOnlyItsLowByte) {
    const struct {
        int stored;
        int alpha;
    } cases[] = {{0, 0}, {100, 100}, {255, 255}, {256, 0}, {300, 44}, {-1, 255}};
    for (const auto& c : cases)
        EXPECT_EQ(haloAlpha(c.stored), c.alpha) << c.stored;
}

TEST(FollowPlacement, ColourNumbersHaveRedInTheLowByte) {
    EXPECT_EQ(colourFromNumber(255), QColor(255, 0, 0));
    EXPECT_EQ(colourFromNumber(51455), QColor(255, 200, 0));
    EXPECT_EQ(colourFromNumber(0xff0000), QColor(0, 0, 255));
    EXPECT_EQ(colourFromNumber(0x01123456), QColor(0x56, 0x34, 0x12)) << "the top byte is ignored";
}

} // namespace
} // namespace kerulo
