#pragma once

#include "platform/pointerwatch.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QTimer>

namespace kerulo {

/// The report rule every platform's watch shares. The platform tells of raw motion through
/// motionSeen(), from inside its native event handling; handlers must not run there, and a burst
/// of motion needs only one look at the pointer, so a single report is queued and later motion
/// rides on it. A fast mouse sends a motion every millisecond, and every move of a window costs
/// the toolkit a trip to the window system, so reports come at most every MinReportGap; the last
/// one is never dropped. Raw motion does not cover warps (a program moving the pointer), so a
/// slow check catches those; without raw motion a 10 ms check stands in for it.
class ThrottledPointerWatch : public PointerWatch {
    Q_OBJECT
public:
    static constexpr int CatchUpInterval = 1000; // ms; only warps need it
    static constexpr int FallbackInterval = 10;  // ms; without raw motion this is all there is
    static constexpr qint64 MinReportGap = 4;    // ms between two reports of raw motion

    explicit ThrottledPointerWatch(QObject* parent = nullptr);

protected:
    /// Starts the periodic check, slow when the platform delivers raw motion.
    void startChecking(bool rawMotion);
    void motionSeen();

private:
    void checkPosition();
    void report();

    bool m_reportPending = false;
    QElapsedTimer m_sinceReport;
    QPoint m_lastPosition;
    QTimer m_check;
};

} // namespace kerulo
