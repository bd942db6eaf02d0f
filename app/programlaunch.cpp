#include "app/programlaunch.h"

#include "platform/desktopshell.h"
#include "platform/programstart.h"
#include "ui/errorreporter.h"

#include <cstdio>

namespace kerulo {

// Two copies would fight over the global keys and stack two toolbars.
bool ProgramLaunch::prepare(ProgramStart& start, const DesktopShell& shell, const Tell& tell) {
    if (!start.claimSession()) {
        std::fputs("kerulo: Kerulo already runs for this user; not starting another\n", stderr);
        std::fflush(stderr);
        if (!shell.standardErrorSeen())
            tell(QStringLiteral("Kerulo 已经在运行。"));
        return false;
    }
    ErrorReporter::guard([&start] { start.enterSettingsFolder(); });
    return true;
}

} // namespace kerulo
