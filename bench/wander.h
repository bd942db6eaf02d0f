#pragma once

// A pointer path that drifts like a hand.

#include <algorithm>
#include <cmath>
#include <random>

namespace bench {

/// The heading turns a little each step and bounces off the edges of the allowed area, so
/// consecutive positions always differ. The same seed gives the same path.
class Wander {
public:
    Wander(int left, int top, int right, int bottom, unsigned seed = 20240611)
        : m_random(seed), m_left(left), m_top(top), m_right(right), m_bottom(bottom),
          m_x((left + right) / 2.0), m_y((top + bottom) / 2.0) {}

    /// Goes on from here instead of from where the path last was.
    void jumpTo(int x, int y) {
        m_x = std::clamp(double(x), double(m_left), double(m_right));
        m_y = std::clamp(double(y), double(m_top), double(m_bottom));
    }

    void next(int* x, int* y) {
        const int oldX = int(std::lround(m_x)), oldY = int(std::lround(m_y));
        for (;;) {
            m_heading += std::uniform_real_distribution<double>(-0.6, 0.6)(m_random);
            const double step = std::uniform_real_distribution<double>(3.0, 40.0)(m_random);
            double nx = m_x + step * std::cos(m_heading);
            double ny = m_y + step * std::sin(m_heading);
            if (nx < m_left || nx > m_right) {
                m_heading = M_PI - m_heading;
                nx = std::clamp(nx, double(m_left), double(m_right));
            }
            if (ny < m_top || ny > m_bottom) {
                m_heading = -m_heading;
                ny = std::clamp(ny, double(m_top), double(m_bottom));
            }
            *x = int(std::lround(nx));
            *y = int(std::lround(ny));
            if (*x != oldX || *y != oldY) {
                m_x = nx;
                m_y = ny;
                return;
            }
        }
    }

private:
    std::mt19937 m_random;
    int m_left, m_top, m_right, m_bottom;
    double m_x, m_y;
    double m_heading = 0.7;
};

} // namespace bench
