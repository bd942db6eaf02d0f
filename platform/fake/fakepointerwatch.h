#pragma once

#include "platform/pointerwatch.h"

namespace kerulo {

/// A pointer watch that reports motion when a test says so.
class FakePointerWatch : public PointerWatch {
    Q_OBJECT
public:
    using PointerWatch::PointerWatch;
    void reportMotion(QPoint position) { emit moved(position); }
};

} // namespace kerulo
