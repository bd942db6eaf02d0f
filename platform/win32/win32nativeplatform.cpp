#include "platform/cursorpointerscreen.h"
#include "platform/nativeplatform.h"
#include "platform/toolkitwindowmover.h"
#include "platform/win32/win32desktopshell.h"
#include "platform/win32/win32globalkeys.h"
#include "platform/win32/win32penscreen.h"
#include "platform/win32/win32pointerwatch.h"
#include "platform/win32/win32programstart.h"

namespace kerulo {

struct NativePlatform::Services {
    Win32ProgramStart start;
    CursorPointerScreen pointer;
    Win32PointerWatch pointerWatch;
    Win32DesktopShell shell;
    Win32PenScreen penScreen;
    Win32GlobalKeys keys;
    ToolkitWindowMover windowMover;
};

// Qt's windows plugin is the only one a Windows build carries.
void NativePlatform::prepareToolkit() {}

NativePlatform::NativePlatform() : m_services(std::make_unique<Services>()) {}
NativePlatform::~NativePlatform() = default;

ProgramStart& NativePlatform::start() {
    return m_services->start;
}

Platform NativePlatform::services() {
    Services& s = *m_services;
    return Platform{s.pointer, s.pointerWatch, s.shell, s.penScreen, s.keys, s.windowMover};
}

} // namespace kerulo
