#pragma once

#include <cstdint>
#include <optional>

namespace kerulo {

/// When a pointer watch reports raw motion. A hand moving a mouse sends a motion every few
/// milliseconds, and each is reported at once so that what follows the pointer keeps up. A fast
/// mouse sends one every millisecond, and every report moves windows, each move a trip to the
/// window system: while motions come closer than FastMotionGap, they are gathered into reports
/// at most MinReportGap apart. Only one report waits at a time and later motion rides on it, so
/// the last motion is never left unreported. Times are microseconds on a steady clock.
class MotionReportPacing {
public:
    static constexpr std::int64_t FastMotionGap = 2000; // µs; closer motions are a fast mouse's
    static constexpr std::int64_t MinReportGap = 4000;  // µs between reports of a fast mouse

    /// A motion seen at `now`: in how many microseconds to report it, or nothing when the
    /// report already waiting covers it.
    std::optional<std::int64_t> motionSeen(std::int64_t now);
    /// The waiting report went out at `now`.
    void reported(std::int64_t now);

private:
    std::optional<std::int64_t> m_lastMotion;
    std::optional<std::int64_t> m_lastReport;
    bool m_reportWaiting = false;
};

} // namespace kerulo
