#pragma once

#include "image/raster.h"

#include <QRect>
#include <QRgb>
#include <QSize>

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace kerulo {

/// The pen's figures as the pixels of a transparent layer laid over the whole screen, for
/// desktops where a compositor blends such a layer over every window. Committed figures (copy
/// mode) are opaque in their colours. A not-xor figure turns what each of its pixels shows into
/// the opaque NOT(colour XOR that), read from a copy of the screen where the layer is clear;
/// where the result is what the pixel showed before the rubber band began, the pixel goes back
/// to what the layer held then, so that painting a figure twice restores the layer exactly.
/// Pixels are 0xAARRGGBB with alpha 0 or 255, premultiplied as they stand.
///
/// NOT(c XOR v) is v XOR NOT c: a run of not-xor figures is one exclusive-or mask, and where a
/// rubber band's old and new figures overlap their parts cancel. Not-xor figures are therefore
/// gathered and applied together, touching only the pixels that change, when the pixels are next
/// looked at or another kind of paint comes.
class InkImage {
public:
    /// Copies what the screen shows in each of `areas`, this layer included as the screen last
    /// showed it, to the same places in `screen` (the image's size, size().width() per row).
    using ScreenReader = std::function<void(const std::vector<QRect>& areas, quint32* screen)>;
    /// Painted pixels are remembered in square tiles of this edge, aligned to the screen's origin.
    static constexpr int Tile = 16;
    /// Where the full-screen pixel arrays come from: `take` gives `bytes` of zeroed memory (null
    /// when there is none), `giveBack` returns it. By default the C allocator's.
    struct PixelMemory {
        quint32* (*take)(size_t bytes);
        void (*giveBack)(quint32* pixels, size_t bytes);
    };

    InkImage(QSize size, ScreenReader readScreen, PixelMemory memory = cAllocator());

    QSize size() const { return m_size; }
    /// Paints the figure's pixels that lie on the image.
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode);
    /// Every pixel clear again. The memory stays for later figures.
    void clear();
    /// The screen beneath may have changed: the next not-xor figure reads it again.
    void forgetScreen();
    /// Whether any pixel is opaque.
    bool hasStrokes();
    QRgb pixel(int x, int y);
    /// Rows of size().width() pixels; null until the first paint.
    const quint32* pixels();
    /// Rectangles within the image that together hold every pixel changed since the previous
    /// call; each row of each rectangle holds at least one of them. Rows are joined into one
    /// rectangle, and nearby runs of a row into one, only while that sends few unchanged pixels.
    std::vector<QRect> takeChanges();
    /// The tiles meeting `area` that were painted since clear(), merged like takeChanges().
    std::vector<QRect> paintedTiles(const QRect& area);

private:
    // Where a not-xor figure's span begins or ends along a row: from here on, the pixels'
    // mask changes by `all`, and on the hatch's lines by `hatched` too.
    struct Toggle {
        int y;
        int x;
        quint32 all;
        quint32 hatched;
    };
    // Pixels x0 <= x < x1 of row y changed.
    struct Run {
        int y;
        int x0;
        int x1;
    };
    struct Segment {
        int y;
        int x0;
        int x1;
        quint32 all;
        quint32 hatched;
    };

    void allocate();
    void holdBand(const Raster& figure, QRgb penColour, QRgb brushColour);
    void releaseHeldBand();
    void addBand(const Raster& figure, QRgb penColour, QRgb brushColour);
    void beginBand();
    void addNotXor(const std::vector<Span>& spans, QRgb colour, bool hatched);
    void addToggle(int y, int x, quint32 all, quint32 hatched);
    void settle();
    void sortPending();
    void readScreenFor(const std::vector<Segment>& segments);
    void paintCopy(const std::vector<Span>& spans, QRgb colour, Hatch hatch, int hatchScale);
    bool clip(const Span& s, int& x0, int& x1) const;
    void touchTiles(int y, int x0, int x1, bool band);
    void noteChange(int y, int x0, int x1);
    QRect tileRect(int tile) const;
    std::vector<QRect> mergeRows(const std::vector<int>& sortedTiles) const;

    QSize m_size;
    int m_tilesX = 0;
    int m_tilesY = 0;
    ScreenReader m_readScreen;
    static PixelMemory cAllocator();
    PixelMemory m_memory;
    // Zeroed by the system page by page as first touched: memory is taken as figures reach it.
    struct Free {
        PixelMemory memory;
        size_t bytes;
        void operator()(quint32* p) const { memory.giveBack(p, bytes); }
    };
    using Pixels = std::unique_ptr<quint32[], Free>;
    Pixels newPixels() const;

    // What the layer shows, what it shows outside the rubber band, and the screen's copy.
    Pixels m_display;
    Pixels m_ink;
    Pixels m_screen;
    // Per cell of the screen: read since the band began.
    std::vector<unsigned char> m_cellRead;
    int m_cellsX = 0;
    bool m_bandOpen = false;
    long long m_opaque = 0;
    // The last not-xor figure, not yet among the pending ones: a rubber band paints its old
    // figure again to take it away, and when that comes before anyone looks, neither paint is
    // needed. A mouse that outruns the painting then costs one figure per look, not two per move.
    Raster m_held;
    QRgb m_heldPen = 0;
    QRgb m_heldBrush = 0;
    bool m_holding = false;
    // Not-xor figures not applied yet, and the one hatch their brushes share.
    std::vector<Toggle> m_pending;
    Hatch m_pendingHatch = Hatch::None;
    int m_pendingHatchScale = 1;
    // Per tile: painted since clear(); painted in not-xor since the band began.
    std::vector<unsigned char> m_tilePainted;
    std::vector<unsigned char> m_tileBand;
    // Runs changed since the last takeChanges(), in no order and possibly overlapping.
    std::vector<Run> m_changed;
    // Working memory of settle() and takeChanges(), kept between calls: a full-screen rubber
    // band needs hundreds of kilobytes on every motion, which fresh from the allocator would
    // come as new pages, each a fault.
    std::vector<Toggle> m_sorted;
    std::vector<int> m_rowStart;
    std::vector<int> m_rowNext;
    std::vector<Segment> m_segments;
    std::vector<Run> m_runs;
};

} // namespace kerulo
