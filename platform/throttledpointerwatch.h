#pragma once

#include "platform/motionreportpacing.h"
#include "platform/pointerwatch.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>

namespace kerulo {

/// What every platform's pointer watch shares. The platform tells of raw motion through
/// motionSeen(), and a burst of motion needs only one look at the pointer, so a report goes out
/// when MotionReportPacing says and later motion rides on it. Seen inside native event handling,
/// where handlers must not run, a report due at once is queued; seen from the event loop itself,
/// it goes out there and then, which spares the event loop waking itself for it. Raw motion does
/// not cover warps (a program moving the pointer), so a slow check catches those; without raw
/// motion a 10 ms check stands in for it.
class ThrottledPointerWatch : public PointerWatch {
    Q_OBJECT
public:
    // Only warps need the slow check, and a warp is rare and caught up by the next motion of
    // the mouse anyway; each look costs the idle program two wake-ups (the timer and the
    // answer), which are all it spends at rest: at one look in two seconds that was still
    // 0.025 % of a core, above what the program may spend there.
    static constexpr int CatchUpInterval = 4000; // ms
    static constexpr int FallbackInterval = 10;  // ms; without raw motion this is all there is

    explicit ThrottledPointerWatch(QObject* parent = nullptr);

protected:
    /// Starts the periodic check, slow when the platform delivers raw motion.
    void startChecking(bool rawMotion);
    enum class SeenFrom { NativeEventHandling, EventLoop };
    void motionSeen(SeenFrom from);
    /// Where the pointer is now, in the toolkit's coordinates.
    virtual QPoint pointerPosition();

private:
    void checkPosition();
    void report();

    std::int64_t microsecondsNow() const;

    MotionReportPacing m_pacing;
    QElapsedTimer m_clock;
    QPoint m_lastPosition;
    QTimer m_check;
};

} // namespace kerulo
