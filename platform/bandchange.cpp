#include "platform/bandchange.h"

#include <algorithm>
#include <limits>

namespace kerulo {

namespace {

enum class Kind : unsigned char { None, Pen, Brush };

/// A run of one row's pixels of one kind.
struct Run {
    int x0;
    int x1;
    Kind kind;
};

/// Walks a raster row by row, giving each row's pen and brush spans merged in x order.
class RowReader {
public:
    explicit RowReader(const Raster& raster) : m_pen(raster.pen), m_brush(raster.brush) {}

    /// The first row at or after the current position that has spans, or INT_MAX.
    int nextRow() const {
        const int pen = m_p < m_pen.size() ? m_pen[m_p].y : std::numeric_limits<int>::max();
        const int brush = m_b < m_brush.size() ? m_brush[m_b].y : std::numeric_limits<int>::max();
        return std::min(pen, brush);
    }

    /// Replaces `runs` with row y's runs and moves past them. Rows before y must be consumed.
    void read(int y, std::vector<Run>& runs) {
        runs.clear();
        for (;;) {
            const bool pen = m_p < m_pen.size() && m_pen[m_p].y == y;
            const bool brush = m_b < m_brush.size() && m_brush[m_b].y == y;
            if (pen && (!brush || m_pen[m_p].x0 < m_brush[m_b].x0)) {
                runs.push_back({m_pen[m_p].x0, m_pen[m_p].x1, Kind::Pen});
                ++m_p;
            } else if (brush) {
                runs.push_back({m_brush[m_b].x0, m_brush[m_b].x1, Kind::Brush});
                ++m_b;
            } else {
                return;
            }
        }
    }

private:
    const std::vector<Span>& m_pen;
    const std::vector<Span>& m_brush;
    std::size_t m_p = 0;
    std::size_t m_b = 0;
};

/// Adds the pixels x0 .. x1 - 1 of row y, joining them to the last span when they continue it.
void append(std::vector<Span>& spans, int y, int x0, int x1) {
    if (!spans.empty() && spans.back().y == y && spans.back().x1 == x0)
        spans.back().x1 = x1;
    else
        spans.push_back({y, x0, x1});
}

/// Compares one row of both figures: an interval sweep over the boundaries of both run lists.
void compareRow(int y, const std::vector<Run>& from, const std::vector<Run>& to,
                BandChange& change) {
    constexpr int End = std::numeric_limits<int>::max();
    std::size_t i = 0;
    std::size_t j = 0;
    int x = std::min(from.empty() ? End : from.front().x0, to.empty() ? End : to.front().x0);
    while (i < from.size() || j < to.size()) {
        // The kind at x in each figure, and where the next boundary after x lies.
        Kind a = Kind::None;
        Kind b = Kind::None;
        int next = End;
        if (i < from.size()) {
            if (from[i].x0 <= x) {
                a = from[i].kind;
                next = from[i].x1;
            } else {
                next = from[i].x0;
            }
        }
        if (j < to.size()) {
            if (to[j].x0 <= x) {
                b = to[j].kind;
                next = std::min(next, to[j].x1);
            } else {
                next = std::min(next, to[j].x0);
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
        if (i < from.size() && from[i].x1 <= x)
            ++i;
        if (j < to.size() && to[j].x1 <= x)
            ++j;
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

    RowReader a(from);
    RowReader b(to);
    std::vector<Run> fromRuns;
    std::vector<Run> toRuns;
    for (int y = std::min(a.nextRow(), b.nextRow()); y != std::numeric_limits<int>::max();
         y = std::min(a.nextRow(), b.nextRow())) {
        a.read(y, fromRuns);
        b.read(y, toRuns);
        compareRow(y, fromRuns, toRuns, change);
    }
    return change;
}

} // namespace kerulo
