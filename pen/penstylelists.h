#pragma once

#include "pen/penstyle.h"

#include <QString>
#include <QStringList>

namespace kerulo {

/// The items of the toolbox's line-style and brush-style lists and the style each stands for. An
/// item's index is its style's place in PenStyle or BrushStyle.
class PenStyleLists {
public:
    /// "实线", "虚线", "点线", "点划线", "双点线": solid to dash-dot-dot.
    static QStringList penStyleItems();
    /// "填色", "空心", "水平线", "垂直线", "反斜线", "十字线", "交叉线": solid, hollow, horizontal,
    /// vertical, forward diagonal, backward diagonal ("十字线" despite its name), and the
    /// horizontal and vertical cross ("交叉线"). The diagonal cross is not offered.
    static QStringList brushStyleItems();

    /// The style of the item at \a index, or \a current when the index names no item (an editable
    /// list reports -1 while its typed text matches no item).
    static PenStyle penStyleAt(int index, PenStyle current);
    static BrushStyle brushStyleAt(int index, BrushStyle current);

    /// The style whose item reads exactly \a text, or \a current when none does: text typed into a
    /// list that names no item leaves the style in force, so the style is always one of the list's.
    static PenStyle penStyleForText(const QString& text, PenStyle current);
    static BrushStyle brushStyleForText(const QString& text, BrushStyle current);
};

} // namespace kerulo
