#pragma once

#include "ui/kerulowindow.h"

#include <memory>

class QLabel;
class QMouseEvent;

namespace kerulo {

class PenScreen;
class PenStroke;
class ScreenCanvas;

/// The pen's drawing surface: it takes the mouse over the whole screen while the pen is on, and
/// every press, move and release draws with the current tool straight onto the screen, over
/// every window. It holds no drawing of its own. Showing it brings up the toolbox.
///
/// Where the desktop composites windows the surface itself is shown, a faint white veil over the
/// screen; elsewhere it stays off screen and an invisible surface of the platform's takes the
/// mouse for it. Either way it counts as visible while the pen is on.
///
/// The toolbox drives it through the hidden buttons of its tool panel (ToolButton1 ..
/// ToolButton5 select the tools, SpeedButtonErase clears the screen) and the colours of its two
/// swatches, which are the stored pen and brush colours.
class PenSurface : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit PenSurface(Windows& windows);
    ~PenSurface() override;

    /// The drawing state the toolbox sets: pen, brush and current position.
    ScreenCanvas& canvas() { return *m_canvas; }
    /// 0 freehand, 1 line, 2 rectangle, 3 ellipse, 4 rounded rectangle.
    int activeTool() const;
    void selectTool(int code);
    /// A button was pressed on the surface and its release has not been handled yet.
    bool strokeActive() const;

    /// Every stroke goes and every window shows itself again; pen and brush stay as they are.
    void repaintDesktop();
    /// The desktop repaint, then the stored pen and brush colours come back into force (a
    /// hollow brush becomes solid again). The tool stays.
    void clearScreen();

    /// The colours clearing brings back, shown by the tool panel's two swatches.
    QColor storedPenColour() const;
    QColor storedBrushColour() const;
    void setStoredPenColour(const QColor& colour);
    void setStoredBrushColour(const QColor& colour);

    void setVisible(bool visible) override;

signals:
    /// The program made the surface visible.
    void shown();
    /// A stroke's release was handled.
    void strokeEnded();

protected:
    void setUp() override;
    void whenShown() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildToolPanel();
    void takeUpNewWay();
    void beginStroke(QPoint screenPos);
    void continueStroke(QPoint screenPos);
    void endStroke(QPoint screenPos);
    QPoint screenPoint(const QMouseEvent& event) const;

    PenScreen& m_screen;
    std::unique_ptr<ScreenCanvas> m_canvas;
    std::unique_ptr<PenStroke> m_stroke;
    QLabel* m_penColourSwatch = nullptr;
    QLabel* m_brushColourSwatch = nullptr;
};

} // namespace kerulo
