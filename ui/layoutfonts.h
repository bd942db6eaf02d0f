#pragma once

#include <QFont>

namespace kerulo {

/// The fonts the window layouts name, resolved to what is installed.
namespace LayoutFonts {

/// "宋体" at a pixel height. Where it is not installed the next Chinese font takes the whole
/// text, so that the Latin letters come from the same font as the Chinese ones instead of from
/// the desktop's default Latin font.
QFont songTi(int pixelSize, bool bold = false);

/// "MS Sans Serif" at a pixel height; the desktop's sans-serif font stands in for it.
QFont msSansSerif(int pixelSize);

} // namespace LayoutFonts
} // namespace kerulo
