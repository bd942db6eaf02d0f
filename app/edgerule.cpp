#include "app/edgerule.h"

namespace kerulo {

EdgeRule::Decision EdgeRule::decide(QSize screen, QPoint pointer) {
    const int t = top(screen);
    const int b = t + Height;
    const int x = pointer.x();
    const int y = pointer.y();
    if (y < t || y > b || x < extendedLeft(screen))
        return Decision::Retract;
    if (t < y && y < b && x > extendedLeft(screen))
        return Decision::Extend;
    return Decision::Keep;
}

int EdgeRule::leftAfter(QSize screen, QPoint pointer, int currentLeft) {
    switch (decide(screen, pointer)) {
    case Decision::Retract:
        return retractedLeft(screen);
    case Decision::Extend:
        return extendedLeft(screen);
    case Decision::Keep:
        break;
    }
    return currentLeft;
}

} // namespace kerulo
