#pragma once

#include "platform/desktopshell.h"

namespace kerulo {

/// Task-bar exclusion through the tool-window style. A window's class is fixed by the toolkit
/// when it makes the window, so a class name cannot be given afterwards; programs started from
/// the Start menu have no standard error anyone sees.
class Win32DesktopShell : public DesktopShell {
public:
    void setWindowClass(QWidget& window, const QString& className) override;
    void keepOffTaskbar(QWidget& window) override;
    bool standardErrorSeen() const override { return false; }
};

} // namespace kerulo
