#include "platform/throttledpointerwatch.h"

#include <QCursor>

namespace kerulo {

ThrottledPointerWatch::ThrottledPointerWatch(QObject* parent) : PointerWatch(parent) {
    m_lastPosition = QCursor::pos();
    connect(&m_check, &QTimer::timeout, this, &ThrottledPointerWatch::checkPosition);
}

void ThrottledPointerWatch::startChecking(bool rawMotion) {
    m_check.setTimerType(rawMotion ? Qt::CoarseTimer : Qt::PreciseTimer);
    m_check.setInterval(rawMotion ? CatchUpInterval : FallbackInterval);
    m_check.start();
}

void ThrottledPointerWatch::motionSeen() {
    if (m_reportPending)
        return;
    m_reportPending = true;
    const qint64 sinceLast = m_sinceReport.isValid() ? m_sinceReport.elapsed() : MinReportGap;
    if (sinceLast >= MinReportGap)
        QMetaObject::invokeMethod(this, &ThrottledPointerWatch::report, Qt::QueuedConnection);
    else
        QTimer::singleShot(int(MinReportGap - sinceLast), Qt::PreciseTimer, this,
                           &ThrottledPointerWatch::report);
}

void ThrottledPointerWatch::report() {
    m_reportPending = false;
    m_sinceReport.start();
    m_lastPosition = QCursor::pos();
    emit moved(m_lastPosition);
}

void ThrottledPointerWatch::checkPosition() {
    const QPoint now = QCursor::pos();
    if (now == m_lastPosition)
        return;
    m_lastPosition = now;
    emit moved(now);
}

} // namespace kerulo
