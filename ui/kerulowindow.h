#pragma once

#include "platform/globalkeys.h"

#include <QWidget>

#include <optional>

namespace kerulo {

class Windows;

/// A window of the set. It is built from its stored layout in its constructor, which never
/// fails; what may fail goes into setUp(), which the window set runs once the window can be
/// reached by its role. The set-up, show and close work runs through the error reporter.
class KeruloWindow : public QWidget {
    Q_OBJECT
public:
    explicit KeruloWindow(Windows& windows);
    /// Gives back the window's global key.
    ~KeruloWindow() override;

    /// Makes the window visible and brings it to the front.
    void showInFront();
    /// Runs the close work and hides the window.
    virtual void closeWindow();

    /// Runs the set-up work; an error there ends it and is reported.
    void runSetUp();

    /// The global key the window holds, if it registered one and got it.
    std::optional<GlobalKeys::Key> hotKey() const { return m_hotKey; }
    /// The identifier the window registered its key under; 0 before it did.
    quint32 hotKeyId() const { return m_hotKeyId; }

protected:
    /// Once, when the window set is created: reads settings, registers keys and the like.
    virtual void setUp() {}
    /// Each time the program makes the window visible.
    virtual void whenShown() {}
    /// Each time the window is closed, before it is hidden.
    virtual void whenClosed() {}
    /// A global key was pressed, whether the window is shown or not; every key the program
    /// holds comes here, so a window looks for its own.
    virtual void onHotKey(GlobalKeys::Key) {}

    /// Takes a global key for the window until the window goes. A key the program cannot take
    /// stays dead; one line on standard error names it.
    void registerHotKey(GlobalKeys::Key key);

    Windows& windows() const { return m_windows; }
    /// Paints the whole client area in one colour.
    void setFaceColor(const QColor& colour);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Windows& m_windows;
    std::optional<GlobalKeys::Key> m_hotKey;
    quint32 m_hotKeyId = 0;
};

} // namespace kerulo
