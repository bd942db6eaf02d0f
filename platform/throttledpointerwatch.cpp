#include "platform/throttledpointerwatch.h"

#include <QCursor>

namespace kerulo {

ThrottledPointerWatch::ThrottledPointerWatch(QObject* parent) : PointerWatch(parent) {
    m_clock.start();
    m_lastPosition = QCursor::pos();
    connect(&m_check, &QTimer::timeout, this, &ThrottledPointerWatch::checkPosition);
}

void ThrottledPointerWatch::startChecking(bool rawMotion) {
    m_check.setTimerType(rawMotion ? Qt::CoarseTimer : Qt::PreciseTimer);
    m_check.setInterval(rawMotion ? CatchUpInterval : FallbackInterval);
    m_check.start();
}

std::int64_t ThrottledPointerWatch::microsecondsNow() const {
    return m_clock.nsecsElapsed() / 1000;
}

void ThrottledPointerWatch::motionSeen(SeenFrom from) {
    const std::optional<std::int64_t> delay = m_pacing.motionSeen(microsecondsNow());
    if (!delay)
        return;
    if (*delay == 0 && from == SeenFrom::EventLoop)
        report();
    else if (*delay == 0)
        QMetaObject::invokeMethod(this, &ThrottledPointerWatch::report, Qt::QueuedConnection);
    else // never sooner than the gap: a timer rounds to whole milliseconds
        QTimer::singleShot(int((*delay + 999) / 1000), Qt::PreciseTimer, this,
                           &ThrottledPointerWatch::report);
}

QPoint ThrottledPointerWatch::pointerPosition() {
    return QCursor::pos();
}

void ThrottledPointerWatch::report() {
    m_pacing.reported(microsecondsNow());
    m_lastPosition = pointerPosition();
    emit moved(m_lastPosition);
}

void ThrottledPointerWatch::checkPosition() {
    const QPoint now = pointerPosition();
    if (now == m_lastPosition)
        return;
    m_lastPosition = now;
    emit moved(now);
}

} // namespace kerulo
