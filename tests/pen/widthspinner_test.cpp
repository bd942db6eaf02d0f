#include "pen/widthspinner.h"

#include "store/caseprinting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

using kerulo::WidthSpinner;

namespace {

using kerulo::test::operator<<;

WidthSpinner at(int position) {
    WidthSpinner spinner;
    spinner.setPosition(position);
    return spinner;
}

TEST(WidthSpinner, StartsAtFiveShownAsFive) {
    const WidthSpinner spinner;
    EXPECT_EQ(spinner.position(), 5);
    EXPECT_EQ(spinner.text(), QStringLiteral("5"));
}

// ---- Steps, with the wrap at both ends ----

struct StepCase {
    const char* what;
    int from;
    int ups; // positive: steps up; negative: steps down
    int to;
};

const StepCase StepCases[] = {
    {"up from 5", 5, 1, 6},
    {"down from 5", 5, -1, 4},
    {"up from 39 reaches 40", 39, 1, 40},
    {"up from 40 wraps to 1", 40, 1, 1},
    {"down from 1 wraps to 40", 1, -1, 40},
    {"down from 2 reaches 1", 2, -1, 1},
    {"up twice across the top", 39, 2, 1},
    {"down twice across the bottom", 2, -2, 40},
    {"a full round up", 17, 40, 17},
    {"a full round down", 17, -40, 17},
    {"up 36 from 5 wraps to 1", 5, 36, 1},
};

class WidthSpinnerSteps : public ::testing::TestWithParam<StepCase> {};

TEST_P(WidthSpinnerSteps, WrapAtBothEnds) {
    const StepCase& c = GetParam();
    WidthSpinner spinner = at(c.from);
    for (int i = 0; i < c.ups; ++i)
        spinner.stepUp();
    for (int i = 0; i > c.ups; --i)
        spinner.stepDown();
    EXPECT_EQ(spinner.position(), c.to) << c.what;
    EXPECT_EQ(spinner.text(), QString::number(c.to)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, WidthSpinnerSteps, ::testing::ValuesIn(StepCases),
                         [](const auto& info) {
                             return kerulo::test::caseName(info.param.what, info.index);
                         });

// ---- Setting the position: out of range is taken as the nearer end ----

struct SetCase {
    const char* what;
    int requested;
    int position;
    const char* shown;
};

const SetCase SetCases[] = {
    {"the lowest", 1, 1, "1"},
    {"the highest", 40, 40, "40"},
    {"in between", 12, 12, "12"},
    {"zero", 0, 1, "1"},
    {"negative", -7, 1, "1"},
    {"one past the top", 41, 40, "40"},
    {"far past the top", 1000, 40, "40"},
};

class WidthSpinnerSet : public ::testing::TestWithParam<SetCase> {};

TEST_P(WidthSpinnerSet, KeepsThePositionInRange) {
    const SetCase& c = GetParam();
    const WidthSpinner spinner = at(c.requested);
    EXPECT_EQ(spinner.position(), c.position);
    EXPECT_EQ(spinner.text(), QString::fromLatin1(c.shown));
}

INSTANTIATE_TEST_SUITE_P(Cases, WidthSpinnerSet, ::testing::ValuesIn(SetCases),
                         [](const auto& info) {
                             return kerulo::test::caseName(info.param.what, info.index);
                         });

// ---- Reading the field's text ----

struct TextCase {
    const char* what;
    QString text;
    int current;
    int read;
};

const TextCase TextCases[] = {
    {"a number in range", QStringLiteral("12"), 5, 12},
    {"the lowest", QStringLiteral("1"), 5, 1},
    {"the highest", QStringLiteral("40"), 5, 40},
    {"the current one", QStringLiteral("5"), 5, 5},
    {"leading zeros", QStringLiteral("007"), 5, 7},
    {"many leading zeros", QStringLiteral("00000000000000000000040"), 5, 40},
    {"zero", QStringLiteral("0"), 5, 5},
    {"one past the top", QStringLiteral("41"), 7, 7},
    {"far past the top", QStringLiteral("400"), 7, 7},
    {"too long to fit an int", QStringLiteral("99999999999999999999"), 7, 7},
    {"letters", QStringLiteral("abc"), 9, 9},
    {"digits then letters", QStringLiteral("12a"), 9, 9},
    {"empty", QString(), 9, 9},
    {"negative", QStringLiteral("-3"), 9, 9},
    {"a plus sign", QStringLiteral("+3"), 9, 9},
    {"a blank before", QStringLiteral(" 3"), 9, 9},
    {"a blank after", QStringLiteral("3 "), 9, 9},
    {"a decimal point", QStringLiteral("3.0"), 9, 9},
    {"full-width digits", QStringLiteral("１２"), 9, 9},
    {"Arabic-Indic digits", QStringLiteral("\u0661\u0662"), 9, 9},
    {"current at the top, empty text", QString(), 40, 40},
};

class WidthSpinnerText : public ::testing::TestWithParam<TextCase> {};

TEST_P(WidthSpinnerText, TakesOnlyAWholeNumberInRange) {
    const TextCase& c = GetParam();
    const WidthSpinner spinner = at(c.current);
    EXPECT_EQ(spinner.positionFromText(c.text), c.read) << c.what;
    EXPECT_EQ(spinner.position(), c.current) << c.what << ": reading changed the spinner";
}

INSTANTIATE_TEST_SUITE_P(Cases, WidthSpinnerText, ::testing::ValuesIn(TextCases),
                         [](const auto& info) {
                             return kerulo::test::caseName(info.param.what, info.index);
                         });

// The field's owner takes what the user typed as the position; the next arrow steps from there.
TEST(WidthSpinner, StepsFromTheTypedNumber) {
    WidthSpinner spinner;
    spinner.setPosition(spinner.positionFromText(QStringLiteral("40")));
    spinner.stepUp();
    EXPECT_EQ(spinner.text(), QStringLiteral("1"));
    spinner.setPosition(spinner.positionFromText(QStringLiteral("abc")));
    spinner.stepDown();
    EXPECT_EQ(spinner.text(), QStringLiteral("40"));
}

} // namespace
