#pragma once

#include "platform/desktopshell.h"
#include "platform/globalkeys.h"
#include "platform/penscreen.h"
#include "platform/pointerscreen.h"
#include "platform/pointerwatch.h"
#include "platform/windowmover.h"

namespace kerulo {

/// The platform services the windows use, chosen once at start-up.
struct Platform {
    PointerScreen& pointer;
    PointerWatch& pointerWatch;
    DesktopShell& shell;
    PenScreen& penScreen;
    GlobalKeys& keys;
    WindowMover& windowMover;
};

} // namespace kerulo
