#include "image/spanunion.h"

#include <gtest/gtest.h>

#include <vector>

using kerulo::Span;
using kerulo::spanUnion;

namespace {

struct UnionCase {
    const char* what;
    std::vector<Span> in;
    std::vector<Span> out;
};

TEST(SpanUnion, GivesEachPixelOnceInRowAndColumnOrder) {
    const UnionCase cases[] = {
        {"nothing", {}, {}},
        {"overlapping", {{3, 10, 20}, {3, 15, 30}}, {{3, 10, 30}}},
        {"touching", {{3, 10, 20}, {3, 20, 25}}, {{3, 10, 25}}},
        {"one inside another", {{3, 10, 40}, {3, 15, 20}}, {{3, 10, 40}}},
        {"apart", {{3, 30, 40}, {3, 10, 20}}, {{3, 10, 20}, {3, 30, 40}}},
        {"rows out of order", {{5, 0, 2}, {1, 4, 6}, {5, 1, 3}}, {{1, 4, 6}, {5, 0, 3}}},
        {"same columns in other rows", {{2, 0, 5}, {1, 0, 5}}, {{1, 0, 5}, {2, 0, 5}}},
        {"empty spans dropped", {{1, 5, 5}, {1, 7, 6}, {1, 0, 1}}, {{1, 0, 1}}},
    };
    for (const UnionCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(spanUnion(c.in), c.out);
    }
}

} // namespace
