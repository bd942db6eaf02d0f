#include "pen/penstylelists.h"

#include "store/caseprinting.h"
#include "support/casename.h"

#include <gtest/gtest.h>

#include <ostream>

using kerulo::BrushStyle;
using kerulo::PenStyle;
using kerulo::PenStyleLists;

namespace kerulo {
void PrintTo(PenStyle style, std::ostream* out) {
    *out << "PenStyle(" << int(style) << ")";
}
void PrintTo(BrushStyle style, std::ostream* out) {
    *out << "BrushStyle(" << int(style) << ")";
}
} // namespace kerulo

namespace {

using kerulo::test::operator<<;

// The items as code points, so a source file read in the wrong encoding cannot agree with itself.
struct PenItem {
    const char16_t* item;
    PenStyle style;
};

const PenItem PenItems[] = {
    {u"\u5b9e\u7ebf", PenStyle::Solid},            // 实线
    {u"\u865a\u7ebf", PenStyle::Dash},             // 虚线
    {u"\u70b9\u7ebf", PenStyle::Dot},              // 点线
    {u"\u70b9\u5212\u7ebf", PenStyle::DashDot},    // 点划线
    {u"\u53cc\u70b9\u7ebf", PenStyle::DashDotDot}, // 双点线
};

struct BrushItem {
    const char16_t* item;
    BrushStyle style;
};

const BrushItem BrushItems[] = {
    {u"\u586b\u8272", BrushStyle::Solid},                  // 填色
    {u"\u7a7a\u5fc3", BrushStyle::Hollow},                 // 空心
    {u"\u6c34\u5e73\u7ebf", BrushStyle::Horizontal},       // 水平线
    {u"\u5782\u76f4\u7ebf", BrushStyle::Vertical},         // 垂直线
    {u"\u53cd\u659c\u7ebf", BrushStyle::ForwardDiagonal},  // 反斜线
    {u"\u5341\u5b57\u7ebf", BrushStyle::BackwardDiagonal}, // 十字线
    {u"\u4ea4\u53c9\u7ebf", BrushStyle::Cross},            // 交叉线
};

QString text(const char16_t* item) {
    return QString::fromUtf16(item);
}

TEST(PenStyleLists, LineStyleItemsInTheirOrder) {
    QStringList expected;
    for (const PenItem& p : PenItems)
        expected << text(p.item);
    EXPECT_EQ(PenStyleLists::penStyleItems(), expected);
}

TEST(PenStyleLists, BrushStyleItemsInTheirOrder) {
    QStringList expected;
    for (const BrushItem& b : BrushItems)
        expected << text(b.item);
    EXPECT_EQ(PenStyleLists::brushStyleItems(), expected);
}

TEST(PenStyleLists, EachLineStyleItemGivesItsStyle) {
    for (int i = 0; i < int(std::size(PenItems)); ++i) {
        const PenItem& p = PenItems[i];
        // A current style different from the expected one, so keeping it cannot pass.
        const PenStyle other = p.style == PenStyle::Solid ? PenStyle::Dot : PenStyle::Solid;
        EXPECT_EQ(PenStyleLists::penStyleAt(i, other), p.style) << "index " << i;
        EXPECT_EQ(PenStyleLists::penStyleForText(text(p.item), other), p.style) << "index " << i;
    }
}

TEST(PenStyleLists, EachBrushStyleItemGivesItsStyle) {
    for (int i = 0; i < int(std::size(BrushItems)); ++i) {
        const BrushItem& b = BrushItems[i];
        const BrushStyle other =
            b.style == BrushStyle::Solid ? BrushStyle::Cross : BrushStyle::Solid;
        EXPECT_EQ(PenStyleLists::brushStyleAt(i, other), b.style) << "index " << i;
        EXPECT_EQ(PenStyleLists::brushStyleForText(text(b.item), other), b.style) << "index " << i;
    }
}

// The two names that say otherwise than they do.
TEST(PenStyleLists, CrossLinesAreTheBackwardDiagonalAndCrossingLinesTheCross) {
    EXPECT_EQ(PenStyleLists::brushStyleForText(QStringLiteral("十字线"), BrushStyle::Solid),
              BrushStyle::BackwardDiagonal);
    EXPECT_EQ(PenStyleLists::brushStyleForText(QStringLiteral("交叉线"), BrushStyle::Solid),
              BrushStyle::Cross);
}

// ---- Indexes and typed text that name no item keep the style in force ----

struct NoItemCase {
    const char* what;
    int index;
    QString text;
};

const NoItemCase NoItemCases[] = {
    {"nothing selected", -1, QString()},
    {"a text of no item", -1, QStringLiteral("粗线")},
    {"part of an item", -1, QStringLiteral("点")},
    {"an item with a blank after it", -1, QStringLiteral("实线 ")},
    {"an item with a blank before it", -1, QStringLiteral(" 填色")},
    {"an index past the end", 7, QStringLiteral("点划线点")},
    {"a style's English name", 99, QStringLiteral("Solid")},
    {"a digit", -2, QStringLiteral("0")},
};

class NoItem : public ::testing::TestWithParam<NoItemCase> {};

TEST_P(NoItem, KeepsTheCurrentStyle) {
    const NoItemCase& c = GetParam();
    for (PenStyle current : {PenStyle::Solid, PenStyle::DashDot}) {
        EXPECT_EQ(PenStyleLists::penStyleAt(c.index, current), current) << c.what;
        EXPECT_EQ(PenStyleLists::penStyleForText(c.text, current), current) << c.what;
    }
    for (BrushStyle current : {BrushStyle::Solid, BrushStyle::BackwardDiagonal}) {
        EXPECT_EQ(PenStyleLists::brushStyleAt(c.index, current), current) << c.what;
        EXPECT_EQ(PenStyleLists::brushStyleForText(c.text, current), current) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, NoItem, ::testing::ValuesIn(NoItemCases), [](const auto& info) {
    return kerulo::test::caseName(info.param.what, info.index);
});

// Index 5 is past the line styles but a brush style, so the two lists' ends are kept apart.
TEST(PenStyleLists, TheListsEndWhereTheirItemsEnd) {
    EXPECT_EQ(PenStyleLists::penStyleAt(5, PenStyle::Dot), PenStyle::Dot);
    EXPECT_EQ(PenStyleLists::brushStyleAt(5, BrushStyle::Solid), BrushStyle::BackwardDiagonal);
    EXPECT_EQ(PenStyleLists::brushStyleAt(6, BrushStyle::Solid), BrushStyle::Cross);
}

} // namespace
