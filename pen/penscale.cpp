#include "pen/penscale.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kerulo {

namespace {
// The nearest whole number, halves away from zero, kept within int.
int nearest(double value) {
    return int(std::clamp(std::round(value), 1.0, double(INT_MAX)));
}
} // namespace

PenScale::PenScale(double factor) : m_factor(std::isfinite(factor) && factor > 1 ? factor : 1) {}

int PenScale::pixels(int logical) const {
    return nearest(std::max(1, logical) * m_factor);
}

int PenScale::hatchCell() const {
    return nearest(m_factor);
}

} // namespace kerulo
