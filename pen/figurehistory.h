#pragma once

#include "image/raster.h"

#include <QRgb>

#include <cstddef>
#include <deque>
#include <memory>
#include <vector>

namespace kerulo {

/// One figure as the pen committed it: the parts it painted for good, in order. A freehand
/// stroke is painted a segment at a time and is one figure from press to release; the other
/// tools paint theirs in one part at the release.
class Figure {
public:
    struct Part {
        Raster raster;
        QRgb penColour;
        QRgb brushColour;
    };

    void add(Raster raster, QRgb penColour, QRgb brushColour);
    const std::vector<Part>& parts() const { return m_parts; }
    bool empty() const { return m_parts.empty(); }
    /// The memory the figure holds, in bytes.
    size_t bytes() const { return m_bytes; }

private:
    std::vector<Part> m_parts;
    size_t m_bytes = sizeof(Figure);
};

/// The figures one board shows, and the steps that take them back and bring them again: a new
/// figure and a clearing are one step each. A new figure drops the steps that were taken back.
///
/// The figures shown are the drawing itself and are always kept. What the history keeps beyond
/// them is bounded: at most MaxSteps steps, and at most `memoryBound` bytes of figures no longer
/// shown (those a clearing took away, or an undo); past either, the oldest steps go first.
class FigureHistory {
public:
    static constexpr size_t MaxSteps = 1000;
    static constexpr size_t DefaultMemoryBound = size_t(64) << 20;

    explicit FigureHistory(size_t memoryBound = DefaultMemoryBound);
    FigureHistory(const FigureHistory&) = delete;
    FigureHistory& operator=(const FigureHistory&) = delete;

    /// An empty figure makes no step.
    void add(Figure figure);
    /// Takes every figure away in one step; with none shown there is nothing to take back, and
    /// no step is made. Says whether one was.
    bool clear();
    /// Each says whether there was a step to take back or bring again.
    bool undo();
    bool redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    /// The figures shown, oldest first: what a board shows is these painted in this order.
    std::vector<const Figure*> figures() const;
    /// Every figure and step gone, as when the pen ends.
    void reset();

    size_t steps() const { return m_undo.size(); }
    /// Bytes of every figure held, shown or not.
    size_t memory() const { return m_memory; }
    /// Bytes of the figures held only to bring them back.
    size_t memoryNotShown() const { return m_memory - m_shownMemory; }

private:
    using Held = std::shared_ptr<const Figure>;
    struct Step {
        enum class Kind { Add, Clear } kind;
        std::vector<Held> figures;
    };

    void apply(Step& step);
    void takeBack(Step& step);
    void keepWithinBound();

    size_t m_memoryBound;
    // Declared before the figures: their deleters count down what they held.
    size_t m_memory = 0;
    size_t m_shownMemory = 0;
    std::vector<Held> m_shown;
    std::deque<Step> m_undo;
    std::vector<Step> m_redo;
};

} // namespace kerulo
