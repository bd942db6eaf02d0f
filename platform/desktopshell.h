#pragma once

class QWidget;
class QString;

namespace kerulo {

/// How the desktop lists and names the program's windows. Where the desktop has no such notion
/// the calls do nothing.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    /// Gives the window the class name by which people and tools find it.
    virtual void setWindowClass(QWidget& window, const QString& className) = 0;
    /// Keeps the window out of the task bar and the pager.
    virtual void keepOffTaskbar(QWidget& window) = 0;
    /// Whether the user can see what the program writes on standard error (a terminal or the
    /// session's log). Where nobody can, what matters of it is shown in a message box instead.
    virtual bool standardErrorSeen() const = 0;
};

} // namespace kerulo
