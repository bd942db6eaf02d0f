#pragma once

#include "platform/cursorpointerscreen.h"
#include "platform/platform.h"
#include "platform/x11/x11desktopshell.h"
#include "platform/x11/x11globalkeys.h"
#include "platform/x11/x11penscreen.h"
#include "platform/x11/x11pointerwatch.h"
#include "platform/x11/x11windowmover.h"

namespace kerulo {

/// Every platform service on an X11 desktop. Needs the application object to exist.
struct X11Platform {
    CursorPointerScreen pointer;
    X11PointerWatch pointerWatch;
    X11DesktopShell shell;
    X11PenScreen penScreen;
    X11GlobalKeys keys;
    X11WindowMover windowMover;

    Platform services() { return Platform{pointer, pointerWatch, shell, penScreen, keys, windowMover}; }
};

} // namespace kerulo
