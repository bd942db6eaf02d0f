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
};

} // namespace kerulo
