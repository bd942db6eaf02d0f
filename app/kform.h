#pragma once

#include <QWidget>

namespace kerulo {

class WindowSet;

/// A window of the set. It is built from its stored layout in its constructor, which never
/// fails; what may fail goes into FormCreate, which the window set runs once the window's
/// reference is in place. The show, close and create handlers run through the error reporter.
class KForm : public QWidget {
    Q_OBJECT
public:
    explicit KForm(WindowSet& forms);

    /// Makes the window visible and brings it to the front.
    void Show();
    /// Runs the close handler and hides the window.
    virtual void Close();
    bool Visible() const { return isVisible(); }
    /// Hides or shows the window with no other effect than the show handler.
    void setVisibleState(bool visible) { setVisible(visible); }

    /// Runs the creation handler; an error there ends the handler and is reported.
    void runCreate();

protected:
    virtual void FormCreate() {}
    virtual void FormShow() {}
    virtual void FormClose() {}

    WindowSet& forms() const { return m_forms; }
    /// Paints the whole client area in one colour.
    void setFaceColor(const QColor& colour);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    WindowSet& m_forms;
};

} // namespace kerulo
