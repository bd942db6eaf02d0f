#pragma once

#include "platform/desktopshell.h"

namespace kerulo {

/// Window class (WM_CLASS) and task-bar exclusion through EWMH window state.
class X11DesktopShell : public DesktopShell {
public:
    void setWindowClass(QWidget& window, const QString& className) override;
    void keepOffTaskbar(QWidget& window) override;
};

} // namespace kerulo
