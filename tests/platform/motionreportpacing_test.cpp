// When raw pointer motion is reported: a table of motion times and the report times that follow
// from them, with every report going out when it was asked for.
#include "platform/motionreportpacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace kerulo {
namespace {

using Times = std::vector<std::int64_t>; // ms

/// Plays motions (ms) through the pacing and returns when the reports went out (ms). A report
/// due at or before a motion goes out first, as a timer that fired before the motion arrived.
Times reportsFor(const Times& motions) {
    MotionReportPacing pacing;
    Times reports;
    constexpr std::int64_t NoneDue = -1;
    std::int64_t due = NoneDue;
    const auto sendDueBy = [&](std::int64_t time) {
        if (due != NoneDue && due <= time) {
            reports.push_back(due / 1000);
            pacing.reported(due);
            due = NoneDue;
        }
    };
    for (const std::int64_t ms : motions) {
        const std::int64_t now = ms * 1000;
        sendDueBy(now);
        if (const std::optional<std::int64_t> delay = pacing.motionSeen(now)) {
            EXPECT_EQ(due, NoneDue) << "a second report waits at " << ms << " ms";
            EXPECT_GE(*delay, 0);
            due = now + *delay;
        }
    }
    sendDueBy(INT64_MAX);
    return reports;
}

struct Case {
    const char* what;
    Times motions;
    Times reports;
};

TEST(MotionReportPacingTest, ReportsSlowMotionAtOnceAndGathersAFastMouse) {
    const Case cases[] = {
        {"one motion", {100}, {100}},
        {"a hand's pace, 3 to 12 ms apart", {0, 3, 6, 15, 27, 30}, {0, 3, 6, 15, 27, 30}},
        {"2 ms apart is still a hand's pace", {0, 2, 4, 6}, {0, 2, 4, 6}},
        {"a 1000 Hz mouse: the first at once, then every 4 ms, the last never lost",
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 4, 8, 12}},
        {"two motions at once", {50, 50}, {50, 54}},
        {"a fast burst ends, the next slow motion goes at once", {0, 1, 2, 3, 20}, {0, 4, 20}},
        {"fast motion long after the last report waits the gap from that report",
         {0, 10, 11}, {0, 10, 14}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reportsFor(c.motions), c.reports) << c.what;
}

TEST(MotionReportPacingTest, AFastMouseIsReportedNoMoreOftenThanTheGap) {
    Times motions;
    for (std::int64_t ms = 0; ms < 1000; ++ms)
        motions.push_back(ms);
    const Times reports = reportsFor(motions);
    for (size_t i = 1; i < reports.size(); ++i)
        EXPECT_GE(reports[i] - reports[i - 1], MotionReportPacing::MinReportGap / 1000);
    EXPECT_LE(reports.size(), 251u);
    EXPECT_EQ(reports.back(), 1000) << "the last motion waits one gap at most";
}

} // namespace
} // namespace kerulo
