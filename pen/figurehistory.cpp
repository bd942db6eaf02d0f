#include "pen/figurehistory.h"

#include <utility>

namespace kerulo {

namespace {
size_t rasterBytes(const Raster& raster) {
    return (raster.pen.capacity() + raster.brush.capacity()) * sizeof(Span);
}
} // namespace

void Figure::add(Raster raster, QRgb penColour, QRgb brushColour) {
    m_bytes += sizeof(Part) + rasterBytes(raster);
    m_parts.push_back({std::move(raster), penColour, brushColour});
}

FigureHistory::FigureHistory(size_t memoryBound) : m_memoryBound(memoryBound) {}

void FigureHistory::add(Figure figure) {
    if (figure.empty())
        return;
    const size_t bytes = figure.bytes();
    m_memory += bytes;
    Held held(new Figure(std::move(figure)), [this, bytes](const Figure* f) {
        m_memory -= bytes;
        delete f;
    });
    m_redo.clear();
    m_undo.push_back({Step::Kind::Add, {std::move(held)}});
    apply(m_undo.back());
    keepWithinBound();
}

bool FigureHistory::clear() {
    if (m_shown.empty())
        return false;
    m_redo.clear();
    m_undo.push_back({Step::Kind::Clear, {}});
    apply(m_undo.back());
    keepWithinBound();
    return true;
}

bool FigureHistory::undo() {
    if (m_undo.empty())
        return false;
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    takeBack(step);
    m_redo.push_back(std::move(step));
    return true;
}

bool FigureHistory::redo() {
    if (m_redo.empty())
        return false;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    apply(step);
    m_undo.push_back(std::move(step));
    return true;
}

// An added figure is shown and its step keeps it for the undo; a clearing moves the figures
// shown into its step.
void FigureHistory::apply(Step& step) {
    if (step.kind == Step::Kind::Add) {
        m_shownMemory += step.figures.front()->bytes();
        m_shown.push_back(step.figures.front());
        return;
    }
    step.figures = std::move(m_shown);
    m_shown.clear();
    m_shownMemory = 0;
}

// Steps are taken back newest first, so an added figure is the last one shown, and before a
// clearing is taken back nothing is shown.
void FigureHistory::takeBack(Step& step) {
    if (step.kind == Step::Kind::Add) {
        m_shownMemory -= m_shown.back()->bytes();
        m_shown.pop_back();
        return;
    }
    m_shown = std::move(step.figures);
    step.figures.clear();
    for (const Held& f : m_shown)
        m_shownMemory += f->bytes();
}

std::vector<const Figure*> FigureHistory::figures() const {
    std::vector<const Figure*> out;
    out.reserve(m_shown.size());
    for (const Held& f : m_shown)
        out.push_back(f.get());
    return out;
}

void FigureHistory::reset() {
    m_undo.clear();
    m_redo.clear();
    m_shown.clear();
    m_shownMemory = 0;
}

void FigureHistory::keepWithinBound() {
    while (!m_undo.empty() && (m_undo.size() > MaxSteps || memoryNotShown() > m_memoryBound))
        m_undo.pop_front();
}

} // namespace kerulo
