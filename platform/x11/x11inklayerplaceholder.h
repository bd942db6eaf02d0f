#pragma once

#include "platform/screenpainter.h"

namespace kerulo {

/// Stands in for the ink layer of composited desktops, which is written separately, so that
/// this code builds on its own: the same calls, and nothing is painted. It goes away when the
/// real layer comes in; only the include in x11penscreen.h names this file.
class X11InkLayerPlaceholder : public ScreenPainter {
public:
    void paint(const Raster&, QRgb, QRgb, RasterMode) override {}
    void clear() {}
    void showLayer() {}
    void hideLayer() {}
};

using X11InkLayer = X11InkLayerPlaceholder;

} // namespace kerulo
