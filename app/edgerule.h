#pragma once

#include <QPoint>
#include <QSize>

namespace kerulo {

/// Where the edge toolbar stands: against the right edge of the primary screen, fully out or
/// retracted to a 5-pixel strip, decided anew from the pointer and the screen size alone.
class EdgeRule {
public:
    static constexpr int Width = 65;
    static constexpr int Height = 198;
    static constexpr int Strip = 5;

    enum class Decision { Retract, Extend, Keep };

    /// The toolbar's top: half the screen height, truncated.
    static int top(QSize screen) { return screen.height() / 2; }
    static int extendedLeft(QSize screen) { return screen.width() - Width; }
    static int retractedLeft(QSize screen) { return screen.width() - Strip; }

    /// The pointer strictly inside the toolbar's extended place brings it out; anywhere above,
    /// below or left of that place puts it back; the three boundary lines keep it as it is.
    static Decision decide(QSize screen, QPoint pointer);

    /// The toolbar's left edge after a decision, given where it stands now.
    static int leftAfter(QSize screen, QPoint pointer, int currentLeft);
};

} // namespace kerulo
