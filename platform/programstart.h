#pragma once

#include <QString>

namespace kerulo {

/// What happens once at start, before the first window: one copy of the program per user
/// session, and the folder it keeps its settings database and pictures in, which is the
/// current directory from then on. Where the desktop starts the program through a launcher
/// that sees to both, the calls find them done.
class ProgramStart {
public:
    virtual ~ProgramStart() = default;
    /// Whether this is the only copy running in the user's session; false means another copy
    /// runs and this one should end. The claim holds until the program ends.
    virtual bool claimSession() = 0;
    /// Makes the settings folder the current directory, filling it from the shipped settings
    /// and pictures first where it must be. Throws std::runtime_error, naming the folder, when
    /// it cannot be made or entered.
    virtual void enterSettingsFolder() = 0;
};

} // namespace kerulo
