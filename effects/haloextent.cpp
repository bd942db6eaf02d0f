#include "effects/haloextent.h"

#include "effects/followplacement.h"

#include <algorithm>
#include <cmath>

namespace kerulo {

int HaloExtent::maxSide(QSize screen) {
    const double diagonal = std::hypot(double(screen.width()), double(screen.height()));
    // The pointer can stand on any pixel, so the window reaches the diagonal both ways, plus one
    // pixel of slack for the pointer's own pixel.
    return 2 * int(std::ceil(diagonal)) + 2;
}

int HaloExtent::windowSide(int diameter, int maxSide) {
    return std::min(diameter, maxSide);
}

QPoint HaloExtent::topLeft(QPoint pointer, int diameter, int side) {
    if (diameter <= side)
        return FollowPlacement::haloTopLeft(pointer, diameter);
    return pointer - QPoint(side / 2, side / 2);
}

QRegion HaloExtent::shape(int diameter, int side) {
    if (diameter <= side)
        return QRegion(0, 0, std::max(diameter, 0), std::max(diameter, 0), QRegion::Ellipse);
    // The disc's square would start half the diameter before the pointer; the window starts half
    // its side before it. Computed row by row in floating point: the disc's own square could not
    // even be described in the toolkit's integer rectangles.
    const double radius = diameter / 2.0;
    const double origin = double(side / 2) - double(diameter / 2);
    const double centre = origin + radius;
    QRegion region;
    for (int y = 0; y < side; ++y) {
        const double dy = y + 0.5 - centre;
        if (std::abs(dy) >= radius)
            continue;
        // (r - dy)(r + dy) keeps its precision where r is huge and dy small.
        const double halfWidth = std::sqrt((radius - dy) * (radius + dy));
        const double from = std::ceil(centre - halfWidth - 0.5);
        const double to = std::floor(centre + halfWidth - 0.5);
        const int left = int(std::max(from, 0.0));
        const int right = int(std::min(to, double(side - 1)));
        if (left <= right)
            region += QRect(left, y, right - left + 1, 1);
    }
    return region;
}

} // namespace kerulo
