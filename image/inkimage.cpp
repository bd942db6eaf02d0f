#include "image/inkimage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace kerulo {

namespace {
// The screen is copied in cells as the rubber band first changes them: a figure costs a read
// of about the pixels it covers, and a read never sees the band itself.
constexpr int CellWidth = 64;
constexpr int CellHeight = 32;
constexpr quint32 Opaque = 0xff000000u;
constexpr quint32 Rgb = 0x00ffffffu;
// A request to the server costs about as much as sending this many pixels more: runs of a row
// closer than RunGap are sent as one, and rows join into one rectangle while it sends at most
// JoinSlack pixels that did not change.
constexpr int RunGap = 16;
constexpr int JoinSlack = 64;

// Working memory kept between calls, per buffer: enough for a full-screen rubber band's two
// figures. More comes only from a burst of motions painted before the layer was next looked at,
// and is given back at once rather than held for good.
constexpr size_t KeptWorkingMemory = size_t(256) << 10;

template <class T> void giveBackIfLarge(std::vector<T>& buffer) {
    if (buffer.capacity() * sizeof(T) > KeptWorkingMemory)
        std::vector<T>().swap(buffer);
}

bool opaque(quint32 pixel) {
    return (pixel >> 24) != 0;
}

// Whether each pixel of a row lies on the hatch's lines; along a row a hatch repeats every 8
// cells, and x is never negative here.
class HatchRow {
public:
    HatchRow(Hatch hatch, int scale) : m_hatch(hatch), m_scale(std::max(1, scale)) {
        m_covers.resize(size_t(8 * m_scale));
    }
    void setRow(int y) {
        if (y == m_row)
            return;
        m_row = y;
        for (int i = 0; i < int(m_covers.size()); ++i)
            m_covers[size_t(i)] = hatchCovers(m_hatch, m_scale, i, y);
    }
    int start(int x) const { return x % int(m_covers.size()); }
    int next(int k) const { return k + 1 == int(m_covers.size()) ? 0 : k + 1; }
    bool covers(int k) const { return m_covers[size_t(k)]; }

private:
    Hatch m_hatch;
    int m_scale;
    int m_row = -1;
    std::vector<unsigned char> m_covers;
};
} // namespace

InkImage::InkImage(QSize size, ScreenReader readScreen, PixelMemory memory)
    : m_size(size.expandedTo(QSize(0, 0))), m_tilesX((m_size.width() + Tile - 1) / Tile),
      m_tilesY((m_size.height() + Tile - 1) / Tile), m_readScreen(std::move(readScreen)),
      m_memory(memory), m_cellsX((m_size.width() + CellWidth - 1) / CellWidth) {}

InkImage::PixelMemory InkImage::cAllocator() {
    return {[](size_t bytes) { return static_cast<quint32*>(std::calloc(bytes, 1)); },
            [](quint32* pixels, size_t) { std::free(pixels); }};
}

InkImage::Pixels InkImage::newPixels() const {
    const size_t bytes = size_t(m_size.width()) * size_t(m_size.height()) * sizeof(quint32);
    quint32* p = m_memory.take(bytes);
    if (!p)
        throw std::bad_alloc();
    return Pixels(p, Free{m_memory, bytes});
}

void InkImage::allocate() {
    if (m_display)
        return;
    m_display = newPixels();
    m_ink = newPixels();
    const size_t tiles = size_t(m_tilesX) * size_t(m_tilesY);
    m_tilePainted.assign(tiles, 0);
    m_tileBand.assign(tiles, 0);
}

// The memory stays: touching fresh pages again would cost the next figure more than the
// clearing of the painted tiles costs now.
void InkImage::clear() {
    m_holding = false;
    m_pending.clear();
    m_pendingHatch = Hatch::None;
    for (size_t t = 0; t < m_tilePainted.size(); ++t) {
        if (!m_tilePainted[t])
            continue;
        const QRect r = tileRect(int(t));
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const size_t at = size_t(y) * size_t(m_size.width()) + size_t(r.left());
            std::fill_n(&m_display[at], r.width(), 0u);
            std::fill_n(&m_ink[at], r.width(), 0u);
        }
    }
    std::fill(m_tilePainted.begin(), m_tilePainted.end(), 0);
    std::fill(m_tileBand.begin(), m_tileBand.end(), 0);
    m_changed.clear();
    m_bandOpen = false;
    m_opaque = 0;
}

void InkImage::forgetScreen() {
    settle();
    m_bandOpen = false;
}

bool InkImage::hasStrokes() {
    settle();
    return m_opaque > 0;
}

QRgb InkImage::pixel(int x, int y) {
    settle();
    if (!m_display || x < 0 || y < 0 || x >= m_size.width() || y >= m_size.height())
        return 0;
    return m_display[size_t(y) * size_t(m_size.width()) + size_t(x)];
}

const quint32* InkImage::pixels() {
    settle();
    return m_display.get();
}

void InkImage::paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) {
    if (figure.empty() || m_size.isEmpty())
        return;
    allocate();
    if (mode == RasterMode::Copy) {
        settle();
        paintCopy(figure.pen, penColour, Hatch::None, 1);
        paintCopy(figure.brush, brushColour, figure.hatch, figure.hatchScale);
        // A committed figure ends the rubber band: the next one starts from a fresh copy of
        // the screen, which by then shows this figure.
        m_bandOpen = false;
        return;
    }
    holdBand(figure, penColour, brushColour);
}

void InkImage::holdBand(const Raster& figure, QRgb penColour, QRgb brushColour) {
    if (m_holding && ((m_heldPen ^ penColour) & Rgb) == 0 &&
        ((m_heldBrush ^ brushColour) & Rgb) == 0 && m_held == figure) {
        m_holding = false;
        return;
    }
    releaseHeldBand();
    // Assigned rather than copied anew, so that the spans' memory serves move after move.
    m_held = figure;
    m_heldPen = penColour;
    m_heldBrush = brushColour;
    m_holding = true;
}

void InkImage::releaseHeldBand() {
    if (!m_holding)
        return;
    m_holding = false;
    addBand(m_held, m_heldPen, m_heldBrush);
}

void InkImage::addBand(const Raster& figure, QRgb penColour, QRgb brushColour) {
    if (!m_bandOpen)
        beginBand();
    const bool hatched = figure.hatch != Hatch::None && !figure.brush.empty();
    if (hatched && m_pendingHatch != Hatch::None &&
        (m_pendingHatch != figure.hatch || m_pendingHatchScale != figure.hatchScale))
        settle();
    if (hatched) {
        m_pendingHatch = figure.hatch;
        m_pendingHatchScale = figure.hatchScale;
    }
    addNotXor(figure.pen, penColour, false);
    addNotXor(figure.brush, brushColour, hatched);
}

// What the last rubber band left on the layer (its final position when the figure was committed
// elsewhere) stays, as it would on a screen painted directly: later bands restore to it.
void InkImage::beginBand() {
    const int w = m_size.width();
    for (int t = 0; t < int(m_tileBand.size()); ++t) {
        if (!m_tileBand[size_t(t)])
            continue;
        m_tileBand[size_t(t)] = 0;
        const QRect r = tileRect(t);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const size_t at = size_t(y) * size_t(w) + size_t(r.left());
            std::memcpy(&m_ink[at], &m_display[at], size_t(r.width()) * sizeof(quint32));
        }
    }
    m_cellRead.assign(size_t(m_cellsX) * size_t((m_size.height() + CellHeight - 1) / CellHeight),
                      0);
    m_bandOpen = true;
}

bool InkImage::clip(const Span& s, int& x0, int& x1) const {
    x0 = std::max(s.x0, 0);
    x1 = std::min(s.x1, m_size.width());
    return s.y >= 0 && s.y < m_size.height() && x0 < x1;
}

void InkImage::addNotXor(const std::vector<Span>& spans, QRgb colour, bool hatched) {
    const quint32 mask = ~colour & Rgb;
    if (mask == 0) // white: NOT(white XOR v) is v
        return;
    const quint32 all = hatched ? 0 : mask;
    const quint32 onHatch = hatched ? mask : 0;
    for (const Span& s : spans) {
        int x0 = 0, x1 = 0;
        if (!clip(s, x0, x1))
            continue;
        addToggle(s.y, x0, all, onHatch);
        addToggle(s.y, x1, all, onHatch);
    }
}

// Field by field: a whole toggle built first went through the stack, which on every toggle
// of a full-screen figure cost more than the rest of the work.
void InkImage::addToggle(int y, int x, quint32 all, quint32 hatched) {
    Toggle& t = m_pending.emplace_back();
    t.y = y;
    t.x = x;
    t.all = all;
    t.hatched = hatched;
}

// Sweeps each row's toggles into runs of one mask and applies the runs whose mask is not zero.
void InkImage::settle() {
    releaseHeldBand();
    if (m_pending.empty())
        return;
    sortPending();
    std::vector<Segment>& segments = m_segments;
    segments.clear();
    for (size_t i = 0; i < m_pending.size();) {
        const int y = m_pending[i].y;
        quint32 all = 0, hatched = 0;
        int from = 0;
        while (i < m_pending.size() && m_pending[i].y == y) {
            const int x = m_pending[i].x;
            if ((all | hatched) != 0 && x > from)
                segments.push_back({y, from, x, all, hatched});
            for (; i < m_pending.size() && m_pending[i].y == y && m_pending[i].x == x; ++i) {
                all ^= m_pending[i].all;
                hatched ^= m_pending[i].hatched;
            }
            from = x;
        }
    }
    // Read first: when the read fails the figures stay for the next try.
    readScreenFor(segments);
    HatchRow row(m_pendingHatch, m_pendingHatchScale);
    m_pending.clear();
    m_pendingHatch = Hatch::None;
    const size_t w = size_t(m_size.width());
    // Each segment lies in another row, far from the last in memory: its pixels are asked for
    // a few segments ahead, so that the waits for memory overlap instead of adding up.
    constexpr size_t Ahead = 8;
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i + Ahead < segments.size()) {
            const Segment& later = segments[i + Ahead];
            const size_t pixel = size_t(later.y) * w + size_t(later.x0);
            __builtin_prefetch(&m_display[pixel], 1);
            __builtin_prefetch(&m_ink[pixel]);
            __builtin_prefetch(&m_screen[pixel]);
        }
        const Segment& s = segments[i];
        const size_t at = size_t(s.y) * w;
        quint32* display = &m_display[at];
        const quint32* ink = &m_ink[at];
        const quint32* screen = &m_screen[at];
        int opaqueChange = 0;
        // A pixel shows its colour where opaque and the screen's where clear. The screen's copy
        // is read even where it is not needed (it is there), so that the pixel's values choose
        // between results instead of steering unpredictable branches.
        const auto apply = [&](int x, quint32 mask) {
            const quint32 before = display[x];
            const quint32 base = ink[x];
            const quint32 under = screen[x];
            const quint32 shown = (opaque(before) ? before : under) ^ mask;
            const quint32 after = shown == (opaque(base) ? base : under) ? base : shown;
            opaqueChange += int(opaque(after)) - int(opaque(before));
            display[x] = after;
        };
        if (s.hatched == 0) {
            // One mask for the whole run, and a segment's mask is never zero.
            for (int x = s.x0; x < s.x1; ++x)
                apply(x, s.all);
            noteChange(s.y, s.x0, s.x1);
        } else {
            row.setRow(s.y);
            int first = s.x1, last = s.x0 - 1;
            for (int x = s.x0, k = row.start(s.x0); x < s.x1; ++x, k = row.next(k)) {
                const quint32 mask = row.covers(k) ? s.all ^ s.hatched : s.all;
                if (mask == 0)
                    continue;
                apply(x, mask);
                first = std::min(first, x);
                last = x;
            }
            if (first <= last)
                noteChange(s.y, first, last + 1);
        }
        m_opaque += opaqueChange;
        touchTiles(s.y, s.x0, s.x1, true);
    }
    giveBackIfLarge(m_pending);
    giveBackIfLarge(m_sorted);
    giveBackIfLarge(m_rowStart);
    giveBackIfLarge(m_rowNext);
    giveBackIfLarge(m_segments);
}

// Rows by counting (a full-screen figure has thousands of toggles, few to a row), then each
// row's handful by x.
void InkImage::sortPending() {
    const auto [low, high] =
        std::minmax_element(m_pending.begin(), m_pending.end(),
                            [](const Toggle& a, const Toggle& b) { return a.y < b.y; });
    const int top = low->y;
    std::vector<int>& rowStart = m_rowStart;
    rowStart.assign(size_t(high->y - top + 2), 0);
    for (const Toggle& t : m_pending)
        ++rowStart[size_t(t.y - top + 1)];
    for (size_t r = 1; r < rowStart.size(); ++r)
        rowStart[r] += rowStart[r - 1];
    std::vector<Toggle>& sorted = m_sorted;
    sorted.resize(m_pending.size());
    m_rowNext.assign(rowStart.begin(), rowStart.end() - 1);
    for (const Toggle& t : m_pending)
        sorted[size_t(m_rowNext[size_t(t.y - top)]++)] = t;
    for (size_t r = 0; r + 1 < rowStart.size(); ++r)
        std::sort(sorted.begin() + rowStart[r], sorted.begin() + rowStart[r + 1],
                  [](const Toggle& a, const Toggle& b) { return a.x < b.x; });
    m_pending.swap(sorted);
}

void InkImage::readScreenFor(const std::vector<Segment>& segments) {
    if (segments.empty())
        return;
    if (!m_screen)
        m_screen = newPixels();
    std::vector<unsigned char> wanted(m_cellRead.size(), 0);
    bool any = false;
    for (const Segment& s : segments)
        for (int cx = s.x0 / CellWidth; cx <= (s.x1 - 1) / CellWidth; ++cx) {
            const size_t cell = size_t(s.y / CellHeight) * size_t(m_cellsX) + size_t(cx);
            wanted[cell] = !m_cellRead[cell];
            any = any || wanted[cell];
        }
    if (!any)
        return;
    // One area per run of neighbouring cells in a row of cells.
    std::vector<QRect> areas;
    const QRect image(QPoint(0, 0), m_size);
    for (size_t first = 0; first < wanted.size(); ++first) {
        if (!wanted[first])
            continue;
        size_t last = first;
        while (last + 1 < wanted.size() && wanted[last + 1] && (last + 1) % size_t(m_cellsX) != 0)
            ++last;
        const int cy = int(first / size_t(m_cellsX));
        const int cx0 = int(first % size_t(m_cellsX));
        const int cx1 = int(last % size_t(m_cellsX));
        areas.push_back(
            QRect(cx0 * CellWidth, cy * CellHeight, (cx1 - cx0 + 1) * CellWidth, CellHeight)
                .intersected(image));
        first = last;
    }
    m_readScreen(areas, m_screen.get());
    for (size_t c = 0; c < wanted.size(); ++c)
        m_cellRead[c] = m_cellRead[c] || wanted[c];
    // Whatever the reader says of alpha, the screen is opaque.
    for (const QRect& a : areas)
        for (int y = a.top(); y <= a.bottom(); ++y) {
            quint32* row = &m_screen[size_t(y) * size_t(m_size.width())];
            for (int x = a.left(); x <= a.right(); ++x)
                row[x] |= Opaque;
        }
}

void InkImage::paintCopy(const std::vector<Span>& spans, QRgb colour, Hatch hatch, int hatchScale) {
    const quint32 value = (colour & Rgb) | Opaque;
    HatchRow row(hatch, hatchScale);
    for (const Span& s : spans) {
        int x0 = 0, x1 = 0;
        if (!clip(s, x0, x1))
            continue;
        const size_t at = size_t(s.y) * size_t(m_size.width());
        quint32* display = &m_display[at];
        quint32* ink = &m_ink[at];
        if (hatch == Hatch::None) {
            for (int x = x0; x < x1; ++x)
                m_opaque += !opaque(display[x]);
            std::fill(display + x0, display + x1, value);
            std::fill(ink + x0, ink + x1, value);
            noteChange(s.y, x0, x1);
        } else {
            row.setRow(s.y);
            int first = x1, last = x0 - 1;
            for (int x = x0, k = row.start(x0); x < x1; ++x, k = row.next(k)) {
                if (!row.covers(k))
                    continue;
                m_opaque += !opaque(display[x]);
                display[x] = ink[x] = value;
                first = std::min(first, x);
                last = x;
            }
            if (first <= last)
                noteChange(s.y, first, last + 1);
        }
        touchTiles(s.y, x0, x1, false);
    }
}

void InkImage::touchTiles(int y, int x0, int x1, bool band) {
    const int ty = y / Tile;
    for (int tx = x0 / Tile; tx <= (x1 - 1) / Tile; ++tx) {
        const size_t t = size_t(ty * m_tilesX + tx);
        m_tilePainted[t] = 1;
        if (band)
            m_tileBand[t] = 1;
    }
}

void InkImage::noteChange(int y, int x0, int x1) {
    m_changed.push_back({y, x0, x1});
}

QRect InkImage::tileRect(int tile) const {
    const int tx = tile % m_tilesX;
    const int ty = tile / m_tilesX;
    return QRect(tx * Tile, ty * Tile, Tile, Tile).intersected(QRect(QPoint(0, 0), m_size));
}

std::vector<QRect> InkImage::mergeRows(const std::vector<int>& sortedTiles) const {
    std::vector<QRect> out;
    for (size_t i = 0; i < sortedTiles.size();) {
        size_t j = i;
        while (j + 1 < sortedTiles.size() && sortedTiles[j + 1] == sortedTiles[j] + 1 &&
               sortedTiles[j + 1] % m_tilesX != 0)
            ++j;
        out.push_back(tileRect(sortedTiles[i]).united(tileRect(sortedTiles[j])));
        i = j + 1;
    }
    return out;
}

// Row by row: a row's runs become spans, each span joins the area above it that it overlaps
// while that area stays mostly changed pixels, and areas no span joined are finished.
std::vector<QRect> InkImage::takeChanges() {
    settle();
    std::vector<Run>& runs = m_runs;
    runs.clear();
    runs.swap(m_changed);
    // One settle or one copied figure notes its runs in order already: sorted only when not.
    const auto before = [](const Run& a, const Run& b) {
        return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
    };
    if (!std::is_sorted(runs.begin(), runs.end(), before))
        std::sort(runs.begin(), runs.end(), before);
    struct Area {
        int x0;
        int x1;
        int top;
        long long changed;
        bool joined;
    };
    std::vector<QRect> out;
    std::vector<Area> open, next;
    std::vector<Run> spans;
    const auto finish = [&out](const Area& a, int bottom) {
        out.push_back(QRect(QPoint(a.x0, a.top), QPoint(a.x1 - 1, bottom)));
    };
    int previousRow = -2;
    for (size_t i = 0; i < runs.size();) {
        const int y = runs[i].y;
        spans.clear();
        for (; i < runs.size() && runs[i].y == y; ++i) {
            if (!spans.empty() && runs[i].x0 <= spans.back().x1 + RunGap)
                spans.back().x1 = std::max(spans.back().x1, runs[i].x1);
            else
                spans.push_back(runs[i]);
        }
        if (y != previousRow + 1) {
            for (const Area& a : open)
                finish(a, previousRow);
            open.clear();
        }
        next.clear();
        for (const Run& s : spans) {
            bool joined = false;
            for (Area& a : open) {
                // Slanted edges step sideways from row to row: near is enough.
                if (a.joined || a.x1 + RunGap < s.x0 || s.x1 + RunGap < a.x0)
                    continue;
                const int x0 = std::min(a.x0, s.x0);
                const int x1 = std::max(a.x1, s.x1);
                const long long changed = a.changed + (s.x1 - s.x0);
                if ((long long)(x1 - x0) * (y - a.top + 1) > changed + JoinSlack)
                    continue;
                a = {x0, x1, a.top, changed, true};
                next.push_back(a);
                joined = true;
                break;
            }
            if (!joined)
                next.push_back({s.x0, s.x1, y, s.x1 - s.x0, false});
        }
        for (const Area& a : open)
            if (!a.joined)
                finish(a, y - 1);
        open.swap(next);
        for (Area& a : open)
            a.joined = false;
        previousRow = y;
    }
    for (const Area& a : open)
        finish(a, previousRow);
    giveBackIfLarge(m_runs);
    return out;
}

std::vector<QRect> InkImage::paintedTiles(const QRect& area) {
    settle();
    std::vector<int> tiles;
    const QRect clipped = area.intersected(QRect(QPoint(0, 0), m_size));
    if (m_tilePainted.empty() || clipped.isEmpty())
        return {};
    for (int ty = clipped.top() / Tile; ty <= clipped.bottom() / Tile; ++ty)
        for (int tx = clipped.left() / Tile; tx <= clipped.right() / Tile; ++tx)
            if (m_tilePainted[size_t(ty * m_tilesX + tx)])
                tiles.push_back(ty * m_tilesX + tx);
    return mergeRows(tiles);
}

} // namespace kerulo
