#include "pen/toolboxwatch.h"

namespace kerulo {

namespace {

using Decision = ToolboxWatch::Decision;

// L < X < L+W. Spelled out instead of QRect::right(), which is L+W-1.
bool insideColumn(QPoint pointer, const QRect& toolbox) {
    return toolbox.x() < pointer.x() && pointer.x() < toolbox.x() + toolbox.width();
}

// L < X < L+W and T < Y < T+H: the frame's own edges count as outside.
bool strictlyInside(QPoint pointer, const QRect& toolbox) {
    return insideColumn(pointer, toolbox) && toolbox.y() < pointer.y() &&
           pointer.y() < toolbox.y() + toolbox.height();
}

// The surface's wanted state, before asking whether that is a change and whether it may happen now.
Decision wanted(QPoint pointer, const ToolboxWatch::Situation& s) {
    if (strictlyInside(pointer, s.toolbox) && (s.drawingEnabled || s.toolboxVisible))
        return Decision::HideSurface;
    if (!s.drawingEnabled || insideColumn(pointer, s.toolbox))
        return Decision::Nothing;
    return s.toolboxVisible ? Decision::ShowSurface : Decision::Nothing;
}

} // namespace

Decision ToolboxWatch::decide(QPoint pointer, const Situation& situation) {
    const Decision decision = wanted(pointer, situation);
    const bool changes = (decision == Decision::HideSurface && situation.surfaceVisible) ||
                         (decision == Decision::ShowSurface && !situation.surfaceVisible);
    if (!changes)
        return Decision::Nothing;
    return situation.strokeActive ? Decision::Wait : decision;
}

} // namespace kerulo
