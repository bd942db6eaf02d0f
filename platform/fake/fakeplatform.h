#pragma once

#include "platform/fake/fakedesktopshell.h"
#include "platform/fake/fakeglobalkeys.h"
#include "platform/fake/fakepenscreen.h"
#include "platform/fake/fakepointerscreen.h"
#include "platform/fake/fakepointerwatch.h"
#include "platform/platform.h"
#include "platform/toolkitwindowmover.h"

namespace kerulo {

/// Every platform service as a fake, for tests that run without a display.
struct FakePlatform {
    FakePointerScreen pointer;
    FakePointerWatch pointerWatch;
    FakeDesktopShell shell;
    FakePenScreen penScreen;
    FakeGlobalKeys keys;
    ToolkitWindowMover windowMover;

    Platform services() { return Platform{pointer, pointerWatch, shell, penScreen, keys, windowMover}; }

    /// Moves the pointer and reports the motion, as a real mouse would.
    void movePointer(QPoint p) {
        pointer.setPosition(p);
        pointerWatch.reportMotion(p);
    }
};

} // namespace kerulo
