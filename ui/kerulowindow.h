#pragma once

#include <QWidget>

namespace kerulo {

class Windows;

/// A window of the set. It is built from its stored layout in its constructor, which never
/// fails; what may fail goes into setUp(), which the window set runs once the window can be
/// reached by its role. The set-up, show and close work runs through the error reporter.
class KeruloWindow : public QWidget {
    Q_OBJECT
public:
    explicit KeruloWindow(Windows& windows);

    /// Makes the window visible and brings it to the front.
    void showInFront();
    /// Runs the close work and hides the window.
    virtual void closeWindow();

    /// Runs the set-up work; an error there ends it and is reported.
    void runSetUp();

protected:
    /// Once, when the window set is created: reads settings, registers keys and the like.
    virtual void setUp() {}
    /// Each time the program makes the window visible.
    virtual void whenShown() {}
    /// Each time the window is closed, before it is hidden.
    virtual void whenClosed() {}

    Windows& windows() const { return m_windows; }
    /// Paints the whole client area in one colour.
    void setFaceColor(const QColor& colour);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Windows& m_windows;
};

} // namespace kerulo
