#pragma once

#include "platform/programstart.h"

#include <windows.h>

namespace kerulo {

/// One copy per user session through a named mutex in the session's namespace. An installed
/// copy (the installer leaves the marker "kerulo.installed" beside the program) runs in the
/// user's %APPDATA%\Kerulo, filled from the installed settings and pictures; a copy unpacked
/// from the zip runs in the folder it was started in, as on Linux.
class Win32ProgramStart : public ProgramStart {
public:
    Win32ProgramStart() = default;
    ~Win32ProgramStart() override;
    Win32ProgramStart(const Win32ProgramStart&) = delete;
    Win32ProgramStart& operator=(const Win32ProgramStart&) = delete;

    bool claimSession() override;
    void enterSettingsFolder() override;

private:
    HANDLE m_running = nullptr;
};

} // namespace kerulo
