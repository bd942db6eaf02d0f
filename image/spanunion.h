#pragma once

#include "image/raster.h"

#include <vector>

namespace kerulo {

/// The pixels of all the spans, each once: sorted by row, then x, with no two spans of a row
/// overlapping or touching.
std::vector<Span> spanUnion(std::vector<Span> spans);

} // namespace kerulo
