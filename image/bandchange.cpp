#include "image/bandchange.h"

#include <algorithm>
#include <limits>

namespace kerulo {

namespace {

enum class Kind : unsigned char { None, Pen, Brush };

/// Walks a raster row by row; within a row, its pen and brush spans merged in x order.
class RowCursor {
public:
    explicit RowCursor(const Raster& raster)
        : m_pen(raster.pen.data()), m_penEnd(m_pen + raster.pen.size()),
          m_brush(raster.brush.data()), m_brushEnd(m_brush + raster.brush.size()) {}

    /// The first row at or after the current position that has spans, or INT_MAX.
    int nextRow() const {
        const int pen = m_pen != m_penEnd ? m_pen->y : std::numeric_limits<int>::max();
        const int brush = m_brush != m_brushEnd ? m_brush->y : std::numeric_limits<int>::max();
        return std::min(pen, brush);
    }

    /// Goes to row y, which must not lie before the current position.
    void enterRow(int y) {
        m_penRowEnd = m_pen;
        while (m_penRowEnd != m_penEnd && m_penRowEnd->y == y)
            ++m_penRowEnd;
        m_brushRowEnd = m_brush;
        while (m_brushRowEnd != m_brushEnd && m_brushRowEnd->y == y)
            ++m_brushRowEnd;
        settle();
    }

    /// The row's next span, or none when the row is done.
    const Span* span() const { return m_span; }
    Kind kind() const { return m_kind; }
    void next() {
        ++(m_kind == Kind::Pen ? m_pen : m_brush);
        settle();
    }

private:
    void settle() {
        const bool pen = m_pen != m_penRowEnd;
        const bool brush = m_brush != m_brushRowEnd;
        if (pen && (!brush || m_pen->x0 < m_brush->x0)) {
            m_span = m_pen;
            m_kind = Kind::Pen;
        } else if (brush) {
            m_span = m_brush;
            m_kind = Kind::Brush;
        } else {
            m_span = nullptr;
            m_kind = Kind::None;
        }
    }

    const Span* m_pen;
    const Span* m_penEnd;
    const Span* m_brush;
    const Span* m_brushEnd;
    const Span* m_penRowEnd = nullptr;
    const Span* m_brushRowEnd = nullptr;
    const Span* m_span = nullptr;
    Kind m_kind = Kind::None;
};

/// Adds the pixels x0 .. x1 - 1 of row y, joining them to the last span when they continue it.
void append(std::vector<Span>& spans, int y, int x0, int x1) {
    if (!spans.empty() && spans.back().y == y && spans.back().x1 == x0)
        spans.back().x1 = x1;
    else
        spans.push_back({y, x0, x1});
}

/// Compares row y of both figures: an interval sweep over the boundaries of both.
void compareRow(int y, RowCursor& from, RowCursor& to, BandChange& change) {
    constexpr int End = std::numeric_limits<int>::max();
    int x = std::min(from.span() ? from.span()->x0 : End, to.span() ? to.span()->x0 : End);
    while (from.span() || to.span()) {
        // The kind at x in each figure, and where the next boundary after x lies.
        Kind a = Kind::None;
        Kind b = Kind::None;
        int next = End;
        if (const Span* s = from.span()) {
            if (s->x0 <= x) {
                a = from.kind();
                next = s->x1;
            } else {
                next = s->x0;
            }
        }
        if (const Span* s = to.span()) {
            if (s->x0 <= x) {
                b = to.kind();
                next = std::min(next, s->x1);
            } else {
                next = std::min(next, s->x0);
            }
        }
        if (a != b && next > x) {
            if (a == Kind::None || b == Kind::None)
                append((a == Kind::Pen || b == Kind::Pen) ? change.penToggle : change.brushToggle,
                       y, x, next);
            else
                append(change.swap, y, x, next);
        }
        x = next;
        if (from.span() && from.span()->x1 <= x)
            from.next();
        if (to.span() && to.span()->x1 <= x)
            to.next();
    }
}

// The brush's lines of the two figures line up, or only one figure has brush pixels at all.
bool hatchesAgree(const Raster& a, const Raster& b) {
    if (a.brush.empty() || b.brush.empty())
        return true;
    // Without a hatch the scale means nothing.
    return a.hatch == b.hatch && (a.hatch == Hatch::None || a.hatchScale == b.hatchScale);
}

} // namespace

std::optional<BandChange> bandChange(const Raster& from, const Raster& to) {
    if (!hatchesAgree(from, to))
        return std::nullopt;
    BandChange change;
    const Raster& brushed = to.brush.empty() ? from : to;
    change.hatch = brushed.hatch;
    change.hatchScale = brushed.hatchScale;

    RowCursor a(from);
    RowCursor b(to);
    for (int y = std::min(a.nextRow(), b.nextRow()); y != std::numeric_limits<int>::max();
         y = std::min(a.nextRow(), b.nextRow())) {
        a.enterRow(y);
        b.enterRow(y);
        compareRow(y, a, b, change);
    }
    return change;
}

} // namespace kerulo
