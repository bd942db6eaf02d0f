#pragma once

#include "platform/programstart.h"

namespace kerulo {

/// On Linux the launcher (packaging/kerulo.sh) takes the per-user, per-display lock, fills the
/// user's settings folder and starts the program in it; run from the build folder, the program
/// uses that folder. Either way there is nothing left to do here.
class X11ProgramStart : public ProgramStart {
public:
    bool claimSession() override { return true; }
    void enterSettingsFolder() override {}
};

} // namespace kerulo
