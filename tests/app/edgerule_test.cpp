#include "app/edgerule.h"

#include "support/casename.h"

#include <gtest/gtest.h>

using kerulo::EdgeRule;

namespace {

struct EdgeCase {
    const char* what;
    QSize screen;
    QPoint pointer;
    int leftBefore;
    int leftAfter;
};

// 1920 x 1080: T = 540, B = 738, extended left 1855, retracted left 1915.
const EdgeCase Cases[] = {
    {"inside the band, retracted", {1920, 1080}, {1919, 600}, 1915, 1855},
    {"inside the band, already out", {1920, 1080}, {1900, 600}, 1855, 1855},
    {"just inside every line", {1920, 1080}, {1856, 541}, 1915, 1855},
    {"just inside the bottom line", {1920, 1080}, {1856, 737}, 1915, 1855},
    {"above the toolbar", {1920, 1080}, {1919, 539}, 1855, 1915},
    {"below the toolbar", {1920, 1080}, {1919, 739}, 1855, 1915},
    {"left of the toolbar's place", {1920, 1080}, {1854, 600}, 1855, 1915},
    {"far away", {1920, 1080}, {100, 100}, 1855, 1915},
    {"on the top line, out", {1920, 1080}, {1919, 540}, 1855, 1855},
    {"on the top line, in", {1920, 1080}, {1919, 540}, 1915, 1915},
    {"on the bottom line, out", {1920, 1080}, {1919, 738}, 1855, 1855},
    {"on the bottom line, in", {1920, 1080}, {1919, 738}, 1915, 1915},
    {"on the left column, out", {1920, 1080}, {1855, 600}, 1855, 1855},
    {"on the left column, in", {1920, 1080}, {1855, 600}, 1915, 1915},
    {"above and on the column", {1920, 1080}, {1855, 100}, 1855, 1915},
    {"odd height: T = 512, just below it", {1280, 1025}, {1279, 513}, 1275, 1215},
    {"odd height: on T = 512", {1280, 1025}, {1279, 512}, 1275, 1275},
    {"odd height: above T", {1280, 1025}, {1279, 511}, 1215, 1275},
    {"monitor right of the primary, in the band", {1920, 1080}, {2500, 600}, 1915, 1855},
    {"monitor right of the primary, above the band", {1920, 1080}, {2500, 200}, 1855, 1915},
    {"monitor left of the primary", {1920, 1080}, {-300, 600}, 1855, 1915},
};

class EdgeRuleTable : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(EdgeRuleTable, MovesTheToolbarAsTheRuleSays) {
    const EdgeCase& c = GetParam();
    EXPECT_EQ(EdgeRule::leftAfter(c.screen, c.pointer, c.leftBefore), c.leftAfter) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, EdgeRuleTable, ::testing::ValuesIn(Cases), [](const auto& info) {
    return kerulo::test::caseName(info.param.what, info.index);
});

TEST(EdgeRule, TopIsHalfTheScreenTruncated) {
    EXPECT_EQ(EdgeRule::top({1920, 1080}), 540);
    EXPECT_EQ(EdgeRule::top({1280, 1025}), 512);
    EXPECT_EQ(EdgeRule::top({800, 1}), 0);
}

} // namespace
