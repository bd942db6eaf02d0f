#pragma once

#include "image/inkimage.h"

namespace kerulo {

/// Full-screen pixel arrays in 2 MB pages where the system offers them. A full-screen rubber
/// band touches every row of the ink layer's arrays at once: in 4 KB pages that is thousands
/// of page faults on its first move, in 2 MB pages a dozen. The price is that a figure makes
/// its 2 MB band of each array resident, not only the pages it reaches.
InkImage::PixelMemory hugePagePixels();

} // namespace kerulo
