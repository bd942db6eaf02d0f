#include "effects/hotkeyrule.h"

#include "hotkeytable.h"

#include <gtest/gtest.h>

namespace kerulo {
namespace {

using Step = HotKeyRule::Step;
using test::HotKeyCase;

// The windows as the steps leave them. A step that finds its window already the way it would
// leave it is a fault: the rule looks at what is visible before it acts.
struct Shown {
    bool followImage = false;
    bool halo = false;
    bool toolbox = false;
    bool surface = false;
    int repaints = 0;

    void take(Step step) {
        switch (step) {
        case Step::HideHalo:
            EXPECT_TRUE(halo) << "hides a hidden halo";
            halo = false;
            break;
        case Step::HideFollowImage:
            EXPECT_TRUE(followImage) << "hides a hidden follow image";
            followImage = false;
            break;
        case Step::ShowFollowImage:
            EXPECT_FALSE(followImage) << "shows a visible follow image";
            followImage = true;
            break;
        case Step::ShowHalo:
            EXPECT_FALSE(halo) << "shows a visible halo";
            halo = true;
            break;
        case Step::RepaintDesktop:
            EXPECT_TRUE(surface && toolbox) << "the figures go while the pen is still up";
            ++repaints;
            break;
        case Step::CloseSurface:
            surface = false;
            break;
        case Step::CloseToolbox:
            EXPECT_FALSE(surface) << "the toolbox closes after its surface";
            toolbox = false;
            break;
        case Step::ShowSurface:
            EXPECT_FALSE(toolbox) << "starts a pen that is on";
            surface = toolbox = true; // the surface's showing brings up the toolbox
            break;
        }
    }
};

class HotKeyTransitions : public ::testing::TestWithParam<HotKeyCase> {};

TEST_P(HotKeyTransitions, LeaveTheEffectsOfTheTable) {
    const HotKeyCase& c = GetParam();
    Shown w{c.before.followImage, c.before.halo, c.before.pen, c.before.pen};
    for (Step step : HotKeyRule::steps(c.key, {c.before.followImage, c.before.halo, c.before.pen}))
        w.take(step);
    EXPECT_EQ(w.followImage, c.after.followImage) << "follow image";
    EXPECT_EQ(w.halo, c.after.halo) << "halo";
    EXPECT_EQ(w.toolbox, c.after.pen) << "pen";
    EXPECT_EQ(w.surface, c.after.pen) << "the surface goes and comes with the pen";
    const bool endsThePen = c.before.pen && !c.after.pen;
    EXPECT_EQ(w.repaints, endsThePen ? 1 : 0) << "the desktop is repainted when the pen ends";
}

INSTANTIATE_TEST_SUITE_P(Table, HotKeyTransitions, ::testing::ValuesIn(test::hotKeyTable()),
                         [](const auto& info) { return test::hotKeyCaseName(info.param); });

} // namespace
} // namespace kerulo
