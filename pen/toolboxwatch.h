#pragma once

#include <QPoint>
#include <QRect>

namespace kerulo {

/// Whether the pen's drawing surface should make way for the toolbox, decided from one look at the
/// pointer. The full-screen surface lies in front of the toolbox and takes every pointer event, so
/// the toolbox can only be reached while the surface is hidden. The decision depends on the values
/// below alone, so it may be asked on every pointer motion and whenever one of them changes.
class ToolboxWatch {
public:
    enum class Decision {
        HideSurface,
        ShowSurface,
        /// The surface stays as it is.
        Nothing,
        /// The surface should change, but a stroke is in progress on it: ask again at its release.
        Wait,
    };

    /// What the decision is made from. All positions are in screen pixels.
    struct Situation {
        /// The toolbox window's frame: left, top, width and height.
        QRect toolbox;
        bool toolboxVisible = false;
        bool drawingEnabled = false;
        bool surfaceVisible = false;
        /// A button went down on the surface and has not been released yet.
        bool strokeActive = false;
    };

    /// The rules, in this order:
    /// - The pointer strictly inside the toolbox (L < X < L+W and T < Y < T+H) hides the surface
    ///   while drawing is on, and also while drawing is stopped if the toolbox is visible:
    ///   otherwise a pen opened in the stopped state would keep its surface in front of the
    ///   toolbox and the toolbox could never be reached.
    /// - While drawing is stopped nothing else happens.
    /// - The pointer strictly inside the toolbox's column (L < X < L+W) but above or below the
    ///   toolbox leaves the surface as it is, so the desktop there stays usable after leaving the
    ///   toolbox upward or downward.
    /// - The pointer left or right of the column (X <= L or X >= L+W) shows the surface when the
    ///   toolbox is visible; with the toolbox hidden the pen is off and its surface stays hidden.
    /// - Hiding a hidden surface or showing a visible one is Nothing.
    /// - A change due while a stroke is active is Wait instead: hiding the surface under a held
    ///   button would lose the stroke's release.
    static Decision decide(QPoint pointer, const Situation& situation);
};

} // namespace kerulo
