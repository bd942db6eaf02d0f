#pragma once

#include "ui/kerulowindow.h"

#include <QColor>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;

namespace kerulo {

class ClickPanel;
class PenWidthControl;

/// The pen's floating toolbox: tools, colours, line style and width, brush style, stop and
/// start, and the close picture that ends the pen. It works the drawing surface through the
/// surface's hidden buttons and its canvas, and keeps the surface out of the way while the
/// pointer is on the toolbox, so that its controls can be reached.
class PenToolbox : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit PenToolbox(Windows& windows);
    ~PenToolbox() override;

    /// Whether the surface comes back when the pointer leaves the toolbox sideways.
    bool drawingEnabled() const { return m_drawingEnabled; }

    /// Clicks the surface's button for a tool (1 to 5) or its erase button (6), and resumes
    /// drawing.
    void useToolButton(int number);
    void choosePenColour();
    void chooseBrushColour();
    void stopOrStart();
    void closePen();

    /// Hides or shows the surface for a pointer position; waits while a stroke is in progress.
    void watchPointer(QPoint pointer);
    /// The same for wherever the pointer is now.
    void lookAtPointer();

    /// The colour dialog; nothing when it is cancelled. Tests put their own answer in place.
    using ColourChooser = std::function<std::optional<QColor>(const QColor& preset)>;
    void setColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }

protected:
    void setUp() override;
    void onHotKey(GlobalKeys::Key key) override;
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void addLabel(const char* name, const QString& text, QPoint at, bool bold = false);
    void addToolBar();
    void setDrawingEnabled(bool enabled);
    void stopDrawingAndClear();
    std::optional<QColor> runColourDialog(const QColor& preset);

    QWidget* m_panel = nullptr;
    ClickPanel* m_stopStart = nullptr;
    QLabel* m_penColour = nullptr;
    QLabel* m_brushColour = nullptr;
    PenWidthControl* m_width = nullptr;
    QComboBox* m_penStyles = nullptr;
    QComboBox* m_brushStyles = nullptr;
    bool m_drawingEnabled = true;
    QColor m_lastChosenColour{Qt::black};
    ColourChooser m_chooseColour;
};

} // namespace kerulo
