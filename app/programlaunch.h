#pragma once

namespace kerulo {

class DesktopShell;
class ProgramStart;

/// The steps before the first window: one copy per session, then the settings folder.
class ProgramLaunch {
public:
    /// False when another copy runs, which this one says (on standard error, and in a box
    /// where nobody sees that) before it ends. A settings folder that cannot be entered is
    /// reported and the program goes on where it was started.
    static bool prepare(ProgramStart& start, const DesktopShell& shell);
};

} // namespace kerulo
