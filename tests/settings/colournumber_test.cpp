#include "settings/colournumber.h"

#include <gtest/gtest.h>

namespace kerulo {
namespace {

struct ColourCase {
    QColor colour;
    int number;
};

void PrintTo(const ColourCase& c, std::ostream* os) {
    *os << c.colour.name().toStdString() << " = " << c.number;
}

// Red sits in the low byte.
const ColourCase ColourCases[] = {
    {QColor(255, 0, 0), 255},
    {QColor(0, 255, 0), 65280},
    {QColor(0, 0, 255), 16711680},
    {QColor(255, 200, 0), 51455},
    {QColor(0, 0, 0), 0},
    {QColor(255, 255, 255), 16777215},
    {QColor(1, 2, 3), 1 + 2 * 256 + 3 * 65536},
};

class ColourNumbers : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourNumbers, GoBothWays) {
    const ColourCase& c = GetParam();
    EXPECT_EQ(ColourNumber::fromColour(c.colour), c.number);
    EXPECT_EQ(ColourNumber::toColour(c.number), c.colour);
}

INSTANTIATE_TEST_SUITE_P(Cases, ColourNumbers, ::testing::ValuesIn(ColourCases));

TEST(ColourNumber, AColourWithAlphaGivesItsColourAlone) {
    EXPECT_EQ(ColourNumber::fromColour(QColor(255, 0, 0, 10)), 255);
}

TEST(ColourNumber, HighByteOfAStoredNumberDoesNotChangeTheColour) {
    EXPECT_EQ(ColourNumber::toColour(0x7f0000ff), QColor(255, 0, 0));
    EXPECT_EQ(ColourNumber::toColour(-16777211), QColor(5, 0, 0));
}

} // namespace
} // namespace kerulo
