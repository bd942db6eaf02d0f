#include "platform/motionreportpacing.h"

#include <algorithm>

namespace kerulo {

std::optional<std::int64_t> MotionReportPacing::motionSeen(std::int64_t now) {
    const bool fast = m_lastMotion && now - *m_lastMotion < FastMotionGap;
    m_lastMotion = now;
    if (m_reportWaiting)
        return std::nullopt;
    m_reportWaiting = true;
    if (!fast || !m_lastReport)
        return 0;
    return std::max<std::int64_t>(0, *m_lastReport + MinReportGap - now);
}

void MotionReportPacing::reported(std::int64_t now) {
    m_reportWaiting = false;
    m_lastReport = now;
}

} // namespace kerulo
