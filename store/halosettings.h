#pragma once

#include <QString>

namespace kerulo {

/// The halo's settings as the database holds them (texts) and as numbers.
struct HaloSettings {
    QString colourText;  ///< a Windows colour value, 0x00BBGGRR, in decimal
    QString opacityText; ///< 0 (transparent) to 255 (opaque)
    QString sizeText;    ///< diameter in pixels, 1 to 600
    int colour = 0;
    int opacity = 0;
    int size = 0;
};

} // namespace kerulo
