#include "pen/penstylelists.h"

#include <iterator>

namespace kerulo {

namespace {

// In the order of the enums; the static_asserts keep the two from drifting apart.
constexpr const char* PenStyleItems[] = {"实线", "虚线", "点线", "点划线", "双点线"};
constexpr const char* BrushStyleItems[] = {"填色",   "空心",   "水平线", "垂直线",
                                           "反斜线", "十字线", "交叉线"};

static_assert(std::size(PenStyleItems) == int(PenStyle::DashDotDot) + 1);
static_assert(std::size(BrushStyleItems) == int(BrushStyle::Cross) + 1);

template <std::size_t N> QStringList listOf(const char* const (&items)[N]) {
    QStringList list;
    list.reserve(int(N));
    for (const char* item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

template <typename Style, std::size_t N>
Style styleAt(const char* const (&)[N], int index, Style current) {
    return index >= 0 && index < int(N) ? Style(index) : current;
}

} // namespace

QStringList PenStyleLists::penStyleItems() {
    return listOf(PenStyleItems);
}

QStringList PenStyleLists::brushStyleItems() {
    return listOf(BrushStyleItems);
}

PenStyle PenStyleLists::penStyleAt(int index, PenStyle current) {
    return styleAt(PenStyleItems, index, current);
}

BrushStyle PenStyleLists::brushStyleAt(int index, BrushStyle current) {
    return styleAt(BrushStyleItems, index, current);
}

PenStyle PenStyleLists::penStyleForText(const QString& text, PenStyle current) {
    return penStyleAt(penStyleItems().indexOf(text), current);
}

BrushStyle PenStyleLists::brushStyleForText(const QString& text, BrushStyle current) {
    return brushStyleAt(brushStyleItems().indexOf(text), current);
}

} // namespace kerulo
