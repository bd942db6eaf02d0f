#pragma once

#include "platform/desktopshell.h"

namespace kerulo {

/// Window class (WM_CLASS) and task-bar exclusion through EWMH window state.
class X11DesktopShell : public DesktopShell {
public:
    void setWindowClass(QWidget& window, const QString& className) override;
    void keepOffTaskbar(QWidget& window) override;
    /// Started from a terminal, or from the menu with standard error in the session's log.
    bool standardErrorSeen() const override { return true; }
};

} // namespace kerulo
