#pragma once

#include "image/raster.h"

#include <QRgb>

namespace kerulo {

/// Paints figures straight onto the screen, over every window. Where nothing can be painted
/// (no display) the figures are lost without a word.
class ScreenPainter {
public:
    virtual ~ScreenPainter() = default;
    /// Paints the pen spans in penColour and the brush spans in brushColour (only on the hatch's
    /// lines when the figure has one), each pixel once, in the given mode. Colours are opaque RGB.
    virtual void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) = 0;
    /// What was painted for good since the last call is one figure, complete (a stroke was
    /// released). A painter that keeps figures apart from the screen takes it in now; one that
    /// keeps each paint as it comes has nothing more to do.
    virtual void figureDone() {}
};

} // namespace kerulo
