#include "pen/widthspinner.h"

#include <algorithm>

namespace kerulo {

void WidthSpinner::setPosition(int position) {
    m_position = std::clamp(position, Min, Max);
}

void WidthSpinner::stepUp() {
    m_position = m_position == Max ? Min : m_position + 1;
}

void WidthSpinner::stepDown() {
    m_position = m_position == Min ? Max : m_position - 1;
}

int WidthSpinner::positionFromText(const QString& text) const {
    if (text.isEmpty())
        return m_position;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return m_position;
        value = value * 10 + (c.unicode() - '0');
        // Stops before a long run of digits could overflow; leading zeros keep the value at 0.
        if (value > Max)
            return m_position;
    }
    return value >= Min ? value : m_position;
}

} // namespace kerulo
