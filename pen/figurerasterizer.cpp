#include "pen/figurerasterizer.h"

#include "pen/penscale.h"

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace kerulo {
namespace {

/// Columns a .. b of one row, both included; empty when a > b.
struct Interval {
    int a = 0;
    int b = -1;
    bool empty() const { return a > b; }
};

/// A closed figure as one interval per row, from row `top` down. The figures are convex, so
/// one interval per row describes them.
struct RowShape {
    int top = 0;
    std::vector<Interval> rows;
};

/// Gathers spans in any order, overlapping or touching, and gives them back as a raster's pixel
/// set: sorted by row, then by x, with no two spans of a row overlapping or touching.
class SpanSet {
public:
    void add(int y, int x0, int x1) {
        if (x0 < x1)
            m_raw.push_back({y, x0, x1});
    }
    std::vector<Span> take();

private:
    std::vector<Span> m_raw;
};

std::vector<Span> SpanSet::take() {
    std::vector<Span> out;
    if (m_raw.empty())
        return out;
    int minY = m_raw.front().y;
    int maxY = minY;
    for (const Span& s : m_raw) {
        minY = std::min(minY, s.y);
        maxY = std::max(maxY, s.y);
    }
    // Bucketed by row first: a row holds only a few spans, so sorting each row costs little
    // where sorting the whole set would cost n log n on every mouse motion.
    const auto rows = static_cast<std::size_t>(maxY - minY) + 1;
    std::vector<std::size_t> start(rows + 1, 0);
    for (const Span& s : m_raw)
        ++start[static_cast<std::size_t>(s.y - minY) + 1];
    for (std::size_t r = 1; r <= rows; ++r)
        start[r] += start[r - 1];
    std::vector<std::size_t> next(start.begin(), start.end() - 1);
    std::vector<Span> sorted(m_raw.size());
    for (const Span& s : m_raw)
        sorted[next[static_cast<std::size_t>(s.y - minY)]++] = s;
    m_raw.clear();

    out.reserve(sorted.size());
    for (std::size_t r = 0; r < rows; ++r) {
        const auto first = sorted.begin() + static_cast<std::ptrdiff_t>(start[r]);
        const auto last = sorted.begin() + static_cast<std::ptrdiff_t>(start[r + 1]);
        std::sort(first, last, [](const Span& p, const Span& q) { return p.x0 < q.x0; });
        bool rowStarted = false;
        for (auto it = first; it != last; ++it) {
            if (rowStarted && it->x0 <= out.back().x1) {
                out.back().x1 = std::max(out.back().x1, it->x1);
            } else {
                out.push_back(*it);
                rowStarted = true;
            }
        }
    }
    return out;
}

/// On and off lengths of the broken pen styles, in pixels of the centre path.
std::vector<int> dashPattern(PenStyle style) {
    switch (style) {
    case PenStyle::Solid:
        return {};
    case PenStyle::Dash:
        return {18, 6};
    case PenStyle::Dot:
        return {3, 3};
    case PenStyle::DashDot:
        return {9, 6, 3, 6};
    case PenStyle::DashDotDot:
        return {9, 3, 3, 3, 3, 3};
    }
    return {};
}

/// The pen's pixels along a centre path that is handed over as runs of one row each, in the
/// order the path walks them, so that a broken style's dashes follow the path.
class PenTrace {
public:
    explicit PenTrace(const PenShape& pen);

    /// Screen pixels across the pen.
    int width() const { return m_width; }
    /// The pixels from .. to of row y (both included), walked from `from` towards `to`.
    void walk(int y, int from, int to);
    std::vector<Span> take() {
        stampChain();
        return m_spans.take();
    }

private:
    void paint(int y, int x0, int x1);
    void stampChain();

    int m_width = 1;
    std::vector<int> m_dashes;
    std::size_t m_dash = 0;
    int m_dashLeft = 0;
    /// The disc stamped on each pixel of the path when the pen is wider than one pixel: its
    /// rows from m_discTop down, as column offsets from the path's pixel.
    int m_discTop = 0;
    std::vector<Interval> m_disc;
    /// The path's latest runs, one per row in consecutive rows, each touching the one before:
    /// the discs stamped on such a chain cover one span per row, so the chain is stamped a row
    /// at a time rather than a pixel at a time.
    std::vector<Interval> m_chain;
    int m_chainFirstRow = 0;
    int m_chainStep = 0;
    SpanSet m_spans;
};

PenTrace::PenTrace(const PenShape& pen) {
    const PenScale scale(pen.scale);
    const int logical = std::max(1, pen.width);
    m_width = scale.pixels(logical);
    // Broken styles show only on the thinnest pen; wider pens draw solid.
    if (logical == 1) {
        for (int length : dashPattern(pen.style))
            m_dashes.push_back(scale.pixels(length));
        if (!m_dashes.empty())
            m_dashLeft = m_dashes.front();
    }
    if (m_width > 1) {
        // In doubled coordinates the disc's centre is the path pixel's centre (odd widths) or its
        // top-left corner (even widths); a pixel belongs to the disc when its centre lies within
        // half the width of it.
        const int centre2 = m_width % 2 == 0 ? -1 : 0;
        const int r2 = m_width * m_width;
        m_discTop = -(m_width / 2);
        for (int dy = m_discTop; dy < m_discTop + m_width; ++dy) {
            const int ey = 2 * dy - centre2;
            Interval row;
            for (int dx = m_discTop; dx < m_discTop + m_width; ++dx) {
                const int ex = 2 * dx - centre2;
                if (ex * ex + ey * ey <= r2) {
                    if (row.empty())
                        row.a = dx;
                    row.b = dx;
                }
            }
            m_disc.push_back(row);
        }
    }
}

void PenTrace::walk(int y, int from, int to) {
    if (m_dashes.empty()) {
        paint(y, std::min(from, to), std::max(from, to));
        return;
    }
    const int step = from <= to ? 1 : -1;
    int length = std::abs(to - from) + 1;
    int x = from;
    while (length > 0) {
        const int n = std::min(length, m_dashLeft);
        if (m_dash % 2 == 0) {
            const int last = x + step * (n - 1);
            paint(y, std::min(x, last), std::max(x, last));
        }
        x += step * n;
        length -= n;
        m_dashLeft -= n;
        if (m_dashLeft == 0) {
            m_dash = (m_dash + 1) % m_dashes.size();
            m_dashLeft = m_dashes[m_dash];
        }
    }
}

void PenTrace::paint(int y, int x0, int x1) {
    if (m_disc.empty()) {
        m_spans.add(y, x0, x1 + 1);
        return;
    }
    if (!m_chain.empty()) {
        const Interval& last = m_chain.back();
        const int lastRow = m_chainFirstRow + m_chainStep * (int(m_chain.size()) - 1);
        const bool touches = x0 <= last.b + 1 && x1 >= last.a - 1;
        const bool nextRow =
            m_chainStep == 0 ? std::abs(y - lastRow) == 1 : y == lastRow + m_chainStep;
        if (touches && nextRow) {
            m_chainStep = y - lastRow;
            m_chain.push_back({x0, x1});
            return;
        }
    }
    stampChain();
    m_chain.push_back({x0, x1});
    m_chainFirstRow = y;
    m_chainStep = 0;
}

void PenTrace::stampChain() {
    if (m_chain.empty())
        return;
    if (m_chainStep < 0) {
        std::reverse(m_chain.begin(), m_chain.end());
        m_chainFirstRow -= int(m_chain.size()) - 1;
    }
    // Every disc row holds the disc's centre column, so the discs of two touching runs in
    // neighbouring rows overlap or touch in every row: what a row of the screen gets from the
    // chain is one span, from the leftmost to the rightmost reach of the discs that cover it.
    const int chainRows = static_cast<int>(m_chain.size());
    const int discRows = static_cast<int>(m_disc.size());
    const int firstY = m_chainFirstRow + m_discTop;
    for (int y = firstY; y < firstY + chainRows + discRows - 1; ++y) {
        // Disc row k of the run in chain row i lands on row firstY + i + k.
        const int kFirst = std::max(0, y - firstY - (chainRows - 1));
        const int kLast = std::min(discRows - 1, y - firstY);
        int left = m_chain[std::size_t(y - firstY - kFirst)].a + m_disc[std::size_t(kFirst)].a;
        int right = m_chain[std::size_t(y - firstY - kFirst)].b + m_disc[std::size_t(kFirst)].b;
        for (int k = kFirst + 1; k <= kLast; ++k) {
            const Interval& run = m_chain[std::size_t(y - firstY - k)];
            left = std::min(left, run.a + m_disc[std::size_t(k)].a);
            right = std::max(right, run.b + m_disc[std::size_t(k)].b);
        }
        m_spans.add(y, left, right + 1);
    }
    m_chain.clear();
}

/// Row j (0 .. h - 1) of the ellipse inscribed in a box w wide and h high, as columns of the
/// box; empty where the ellipse passes between pixel centres. A pixel belongs to the ellipse
/// when its centre lies inside it or on it.
Interval ellipseRow(int w, int h, int j) {
    // Doubled coordinates from the box's centre put the pixel centres on whole numbers,
    // X = 2x + 1 - w and Y = 2j + 1 - h; inside means X^2 h^2 + Y^2 w^2 <= w^2 h^2. The products
    // are exact in a double for boxes up to 8192 pixels a side; beyond that a pixel on the edge
    // may fall either way, and the rows stay symmetric all the same.
    const double hh = double(h) * h;
    const double y = 2.0 * j + 1 - h;
    const double limit = double(w) * w * (hh - y * y);
    const auto inside = [&](double x) { return x * x * hh <= limit; };
    double x = std::floor(std::sqrt(limit / hh));
    while (inside(x + 1))
        x += 1;
    while (x > 0 && !inside(x))
        x -= 1;
    int reach = static_cast<int>(x);
    // X has the parity of w + 1; without a centre on that parity within reach the row is empty.
    if ((reach + w + 1) % 2 != 0)
        --reach;
    return {(w - 1 - reach) / 2, (w - 1 + reach) / 2};
}

struct Box {
    int left;
    int top;
    int width;
    int height;
};

Box boxOf(QPoint a, QPoint b) {
    const int left = std::min(a.x(), b.x());
    const int top = std::min(a.y(), b.y());
    return {left, top, std::max(a.x(), b.x()) - left, std::max(a.y(), b.y()) - top};
}

Hatch hatchOf(BrushStyle style) {
    switch (style) {
    case BrushStyle::Solid:
    case BrushStyle::Hollow:
        return Hatch::None;
    case BrushStyle::Horizontal:
        return Hatch::Horizontal;
    case BrushStyle::Vertical:
        return Hatch::Vertical;
    case BrushStyle::ForwardDiagonal:
        return Hatch::ForwardDiagonal;
    case BrushStyle::BackwardDiagonal:
        return Hatch::BackwardDiagonal;
    case BrushStyle::Cross:
        return Hatch::Cross;
    }
    return Hatch::None;
}

/// The pen and brush pixels of a closed figure.
Raster rasterize(const RowShape& shape, const PenShape& pen, BrushStyle brush) {
    Raster raster;
    const auto& rows = shape.rows;
    std::size_t first = 0;
    while (first < rows.size() && rows[first].empty())
        ++first;
    std::size_t end = rows.size();
    while (end > first && rows[end - 1].empty())
        --end;
    if (first == end)
        return raster;
    const int n = static_cast<int>(end - first);
    const auto row = [&](int i) -> const Interval& { return rows[first + std::size_t(i)]; };
    const int top = shape.top + static_cast<int>(first);

    // The interior: pixels whose four neighbours all lie in the figure.
    std::vector<Interval> inner(static_cast<std::size_t>(n));
    for (int i = 1; i + 1 < n; ++i) {
        const Interval& up = row(i - 1);
        const Interval& here = row(i);
        const Interval& down = row(i + 1);
        if (up.empty() || here.empty() || down.empty())
            continue;
        inner[std::size_t(i)] = {std::max({up.a, here.a + 1, down.a}),
                                 std::min({up.b, here.b - 1, down.b})};
    }

    // The outline, walked once round clockwise from the top-left, so that dashes run along it.
    // A row without interior is split at its middle between the right side and the left side.
    const auto leftPart = [&](int i) {
        const Interval& r = row(i);
        const Interval& in = inner[std::size_t(i)];
        return in.empty() ? Interval{r.a, r.a + (r.b - r.a) / 2} : Interval{r.a, in.a - 1};
    };
    const auto rightPart = [&](int i) {
        const Interval& r = row(i);
        const Interval& in = inner[std::size_t(i)];
        return in.empty() ? Interval{r.a + (r.b - r.a) / 2 + 1, r.b} : Interval{in.b + 1, r.b};
    };
    // Above the middle row a side widens downwards, below it narrows: the run of a row is
    // walked in the direction the boundary moves.
    const auto upperHalf = [n](int i) { return 2 * i < n - 1; };
    PenTrace trace(pen);
    const auto walkSide = [&](int i, const Interval& part) {
        if (part.empty())
            return;
        if (upperHalf(i))
            trace.walk(top + i, part.a, part.b);
        else
            trace.walk(top + i, part.b, part.a);
    };
    trace.walk(top, row(0).a, row(0).b);
    for (int i = 1; i + 1 < n; ++i)
        walkSide(i, rightPart(i));
    if (n > 1)
        trace.walk(top + n - 1, row(n - 1).b, row(n - 1).a);
    for (int i = n - 2; i >= 1; --i)
        walkSide(i, leftPart(i));
    raster.pen = trace.take();

    if (brush == BrushStyle::Hollow)
        return raster;
    // The brush fills the interior the pen leaves; the gaps of a broken outline stay untouched.
    const std::vector<Span>& penSpans = raster.pen;
    std::size_t p = 0;
    for (int i = 1; i + 1 < n; ++i) {
        const Interval& in = inner[std::size_t(i)];
        if (in.empty())
            continue;
        const int y = top + i;
        while (p < penSpans.size() && penSpans[p].y < y)
            ++p;
        int x = in.a;
        for (std::size_t q = p; q < penSpans.size() && penSpans[q].y == y; ++q) {
            const Span& s = penSpans[q];
            if (s.x0 > in.b)
                break;
            if (s.x1 <= x)
                continue;
            if (s.x0 > x)
                raster.brush.push_back({y, x, s.x0});
            x = s.x1;
        }
        if (x <= in.b)
            raster.brush.push_back({y, x, in.b + 1});
    }
    raster.hatch = hatchOf(brush);
    if (raster.hatch != Hatch::None)
        raster.hatchScale = PenScale(pen.scale).hatchCell();
    return raster;
}

} // namespace

FigureRasterizer::FigureRasterizer(PenShape pen, BrushStyle brush) : m_pen(pen), m_brush(brush) {}

Raster FigureRasterizer::line(QPoint from, QPoint to) const {
    PenTrace trace(m_pen);
    const bool withEnd = trace.width() > 1;
    // Bresenham's walk over all eight octants; the pixels that follow each other in a row are
    // handed over as one run.
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    bool inRun = false;
    int runY = 0;
    int runFrom = 0;
    int runTo = 0;
    for (;;) {
        const bool atEnd = x == to.x() && y == to.y();
        if (atEnd && !withEnd)
            break;
        if (inRun && y == runY && x == runTo + sx) {
            runTo = x;
        } else {
            if (inRun)
                trace.walk(runY, runFrom, runTo);
            inRun = true;
            runY = y;
            runFrom = runTo = x;
        }
        if (atEnd)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    if (inRun)
        trace.walk(runY, runFrom, runTo);
    Raster raster;
    raster.pen = trace.take();
    return raster;
}

// Pixel centres are the points' whole coordinates: a pixel is in the head when its centre lies
// within the triangle or on its edge.
Raster FigureRasterizer::arrow(QPoint from, QPoint to) const {
    const double dx = to.x() - from.x();
    const double dy = to.y() - from.y();
    const double length = std::hypot(dx, dy);
    if (length == 0)
        return line(from, to);
    const PenScale scale(m_pen.scale);
    const int width = scale.pixels(std::max(1, m_pen.width));
    const double head = std::min(length, double(std::max(4 * width, scale.pixels(8))));
    const double ux = dx / length;
    const double uy = dy / length;
    const QPointF tip(to);
    const QPointF base = tip - QPointF(ux, uy) * head;
    const QPointF across = QPointF(-uy, ux) * (head / 2);
    const QPointF corners[3] = {tip, base + across, base - across};

    SpanSet pixels;
    for (const Span& s : line(from, base.toPoint()).pen)
        pixels.add(s.y, s.x0, s.x1);
    double top = corners[0].y(), bottom = top;
    for (const QPointF& c : corners) {
        top = std::min(top, c.y());
        bottom = std::max(bottom, c.y());
    }
    // A little slack keeps pixel centres that lie on an edge from being lost to rounding.
    constexpr double Slack = 1e-9;
    for (int y = int(std::ceil(top - Slack)); y <= int(std::floor(bottom + Slack)); ++y) {
        double left = std::numeric_limits<double>::max();
        double right = std::numeric_limits<double>::lowest();
        for (int i = 0; i < 3; ++i) {
            const QPointF& a = corners[i];
            const QPointF& b = corners[(i + 1) % 3];
            if (y < std::min(a.y(), b.y()) - Slack || y > std::max(a.y(), b.y()) + Slack)
                continue;
            if (std::abs(b.y() - a.y()) < Slack) {
                left = std::min({left, a.x(), b.x()});
                right = std::max({right, a.x(), b.x()});
                continue;
            }
            const double x = a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y());
            left = std::min(left, x);
            right = std::max(right, x);
        }
        if (left <= right)
            pixels.add(y, int(std::ceil(left - Slack)), int(std::floor(right + Slack)) + 1);
    }
    Raster raster;
    raster.pen = pixels.take();
    return raster;
}

Raster FigureRasterizer::rectangle(QPoint a, QPoint b) const {
    const Box box = boxOf(a, b);
    RowShape shape{box.top, {}};
    if (box.width > 0)
        shape.rows.assign(std::size_t(box.height), {box.left, box.left + box.width - 1});
    return rasterize(shape, m_pen, m_brush);
}

Raster FigureRasterizer::ellipse(QPoint a, QPoint b) const {
    const Box box = boxOf(a, b);
    RowShape shape{box.top, {}};
    if (box.width > 0) {
        shape.rows.reserve(std::size_t(box.height));
        for (int j = 0; j < box.height; ++j) {
            const Interval e = ellipseRow(box.width, box.height, j);
            shape.rows.push_back({box.left + e.a, box.left + e.b});
        }
    }
    return rasterize(shape, m_pen, m_brush);
}

Raster FigureRasterizer::roundRect(QPoint a, QPoint b, int cornerWidth, int cornerHeight) const {
    const Box box = boxOf(a, b);
    const int cw = std::min(std::abs(cornerWidth), box.width);
    const int ch = std::min(std::abs(cornerHeight), box.height);
    if (cw == 0 || ch == 0)
        return rectangle(a, b);
    const int right = box.left + box.width - 1;
    RowShape shape{box.top, {}};
    shape.rows.reserve(std::size_t(box.height));
    for (int j = 0; j < box.height; ++j) {
        // The corner ellipse's upper half shapes the top rows, its lower half the bottom rows;
        // between them the rows run straight from side to side.
        const int fromEdge = std::min(j, box.height - 1 - j);
        if (fromEdge < ch / 2) {
            const int inset = ellipseRow(cw, ch, fromEdge).a;
            shape.rows.push_back({box.left + inset, right - inset});
        } else {
            shape.rows.push_back({box.left, right});
        }
    }
    return rasterize(shape, m_pen, m_brush);
}

} // namespace kerulo
