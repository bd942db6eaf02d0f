#pragma once

#include <QColor>

namespace kerulo {

// The desktop colours the window layouts are given in. They are the values the layouts were
// drawn with (the default desktop scheme), not the running desktop's theme, so that the
// program looks the same wherever it runs.
namespace SystemColors {
inline const QColor BtnFace{240, 240, 240};
inline const QColor BtnShadow{160, 160, 160};
inline const QColor AppWorkSpace{171, 171, 171};
inline const QColor Highlight{0, 120, 215};
} // namespace SystemColors

// Fixed colours of the layouts.
namespace Colors {
inline const QColor Gray{128, 128, 128};
inline const QColor Fuchsia{255, 0, 255};
inline const QColor Purple{128, 0, 128};
inline const QColor White{255, 255, 255};
inline const QColor Red{255, 0, 0};
inline const QColor Blue{0, 0, 255};
} // namespace Colors

} // namespace kerulo
