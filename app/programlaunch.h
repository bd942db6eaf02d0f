#pragma once

#include <QString>

#include <functional>

namespace kerulo {

class DesktopShell;
class ProgramStart;

/// The steps before the first window: one copy per session, then the settings folder.
class ProgramLaunch {
public:
    /// Shows the user a message and returns once it is read.
    using Tell = std::function<void(const QString& text)>;

    /// False when another copy runs, which this one says (on standard error, and through
    /// `tell` where nobody sees that) before it ends. A settings folder that cannot be entered
    /// is reported as an error and the program goes on where it was started.
    static bool prepare(ProgramStart& start, const DesktopShell& shell, const Tell& tell);
};

} // namespace kerulo
