#include "pen/figurehistory.h"

#include "support/casename.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using kerulo::Figure;
using kerulo::FigureHistory;
using kerulo::Raster;

namespace {

// A figure told apart by its number, which is the row of its one pixel; `rows` more rows make
// it larger.
Figure figure(int number, int rows = 0) {
    Raster raster;
    raster.pen.push_back({number, 0, 1});
    for (int r = 0; r < rows; ++r)
        raster.brush.push_back({number, 2 + r, 3 + r});
    Figure f;
    f.add(std::move(raster), 0x000000, 0xffffff);
    return f;
}

std::vector<int> numbersShown(const FigureHistory& history) {
    std::vector<int> out;
    for (const Figure* f : history.figures())
        out.push_back(f->parts().front().raster.pen.front().y);
    return out;
}

// One step of a teacher: "+N" draws figure N, "clear", "undo", "redo"; each with the figures
// shown after it and whether it did anything.
struct Step {
    std::string action;
    std::vector<int> shown;
    bool did = true;
};

struct HistoryCase {
    std::string what;
    std::vector<Step> steps;
};

void PrintTo(const HistoryCase& c, std::ostream* os) {
    *os << c.what;
}

const HistoryCase HistoryCases[] = {
    {"nothing to take back at first",
     {{"undo", {}, false}, {"redo", {}, false}, {"clear", {}, false}}},
    {"three figures, undo twice, redo once",
     {{"+1", {1}}, {"+2", {1, 2}}, {"+3", {1, 2, 3}}, {"undo", {1, 2}}, {"undo", {1}},
      {"redo", {1, 2}}}},
    {"undo everything and redo everything",
     {{"+1", {1}}, {"+2", {1, 2}}, {"undo", {1}}, {"undo", {}}, {"undo", {}, false},
      {"redo", {1}}, {"redo", {1, 2}}, {"redo", {1, 2}, false}}},
    {"a new figure drops what was taken back",
     {{"+1", {1}}, {"+2", {1, 2}}, {"undo", {1}}, {"+3", {1, 3}}, {"redo", {1, 3}, false},
      {"undo", {1}}, {"undo", {}}}},
    {"a clearing is one step",
     {{"+1", {1}}, {"+2", {1, 2}}, {"clear", {}}, {"undo", {1, 2}}, {"redo", {}},
      {"undo", {1, 2}}, {"undo", {1}}}},
    {"clearing nothing makes no step",
     {{"+1", {1}}, {"clear", {}}, {"clear", {}, false}, {"undo", {1}}, {"undo", {}}}},
    {"figures after a clearing come back after it",
     {{"+1", {1}}, {"clear", {}}, {"+2", {2}}, {"+3", {2, 3}}, {"undo", {2}}, {"undo", {}},
      {"undo", {1}}, {"redo", {}}, {"redo", {2}}, {"redo", {2, 3}}}},
    {"a clearing redone after its figures were undone and redone",
     {{"+1", {1}}, {"+2", {1, 2}}, {"clear", {}}, {"undo", {1, 2}}, {"undo", {1}},
      {"redo", {1, 2}}, {"redo", {}}, {"undo", {1, 2}}}},
};

class History : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(History, ShowsTheExpectedFiguresAfterEachStep) {
    FigureHistory history;
    for (const Step& s : GetParam().steps) {
        SCOPED_TRACE(s.action);
        bool did = true;
        if (s.action == "clear")
            did = history.clear();
        else if (s.action == "undo")
            did = history.undo();
        else if (s.action == "redo")
            did = history.redo();
        else
            history.add(figure(std::stoi(s.action.substr(1))));
        EXPECT_EQ(did, s.did);
        EXPECT_EQ(numbersShown(history), s.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, History, ::testing::ValuesIn(HistoryCases),
                         [](const auto& info) { return kerulo::test::caseName(info.param.what); });

TEST(FigureHistory, AnEmptyFigureMakesNoStep) {
    FigureHistory history;
    history.add(Figure());
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.figures().empty());
}

TEST(FigureHistory, ResetForgetsFiguresStepsAndTheirMemory) {
    FigureHistory history;
    history.add(figure(1, 100));
    history.add(figure(2, 100));
    history.clear();
    history.add(figure(3));
    history.undo();
    ASSERT_GT(history.memory(), 0u);
    history.reset();
    EXPECT_TRUE(history.figures().empty());
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.memory(), 0u);
}

// Far more steps than are kept: the newest stay, every figure stays shown.
TEST(FigureHistory, KeepsTheNewestStepsUpToItsLimit) {
    FigureHistory history;
    const int drawn = int(FigureHistory::MaxSteps) + 250;
    for (int i = 1; i <= drawn; ++i)
        history.add(figure(i));
    EXPECT_EQ(history.steps(), FigureHistory::MaxSteps);
    EXPECT_EQ(history.figures().size(), size_t(drawn));
    int undone = 0;
    while (history.undo())
        ++undone;
    EXPECT_EQ(undone, int(FigureHistory::MaxSteps));
    EXPECT_EQ(numbersShown(history).back(), drawn - int(FigureHistory::MaxSteps));
}

// Cleared figures are held only to bring them back: past the bound the oldest clearings go and
// their memory with them, while the newest can still be taken back.
TEST(FigureHistory, ForgetsTheOldestClearingsPastItsMemoryBound) {
    const size_t oneFigure = figure(0, 1000).bytes();
    FigureHistory history(3 * oneFigure);
    for (int i = 1; i <= 10; ++i) {
        history.add(figure(i, 1000));
        history.clear();
        EXPECT_LE(history.memoryNotShown(), 3 * oneFigure);
    }
    EXPECT_LE(history.memory(), 3 * oneFigure);
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(numbersShown(history), std::vector<int>{10});
    ASSERT_TRUE(history.undo());
    ASSERT_TRUE(history.undo());
    EXPECT_EQ(numbersShown(history), std::vector<int>{9});
    int more = 0;
    while (history.undo())
        ++more;
    EXPECT_LT(more, 10) << "no step was forgotten";
}

// The figures shown are the drawing, not the history: however large, each can be taken back.
TEST(FigureHistory, FiguresShownDoNotCountAgainstTheBound) {
    const size_t oneFigure = figure(0, 1000).bytes();
    FigureHistory history(3 * oneFigure);
    for (int i = 1; i <= 10; ++i)
        history.add(figure(i, 1000));
    EXPECT_EQ(history.steps(), 10u);
    EXPECT_GE(history.memory(), 10 * oneFigure);
    EXPECT_EQ(history.memoryNotShown(), 0u);
}

TEST(FigureHistory, AFreehandStrokeIsOneFigureOfManyParts) {
    FigureHistory history;
    Figure stroke;
    for (int i = 0; i < 5; ++i) {
        Raster segment;
        segment.pen.push_back({7, i * 3, i * 3 + 4});
        stroke.add(std::move(segment), 0xff0000, 0xffffff);
    }
    history.add(figure(1));
    history.add(std::move(stroke));
    ASSERT_EQ(history.figures().size(), 2u);
    EXPECT_EQ(history.figures().back()->parts().size(), 5u);
    history.undo();
    EXPECT_EQ(numbersShown(history), std::vector<int>{1});
}

} // namespace
