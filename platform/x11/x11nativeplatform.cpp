#include "platform/nativeplatform.h"
#include "platform/sessionplatform.h"
#include "platform/x11/x11platform.h"
#include "platform/x11/x11programstart.h"

#include <cstdio>

namespace kerulo {

struct NativePlatform::Services {
    X11ProgramStart start;
    X11Platform platform;
};

void NativePlatform::prepareToolkit() {
    const QByteArray qpa = SessionPlatform::platformToSet(qgetenv("QT_QPA_PLATFORM"));
    if (!qpa.isEmpty())
        qputenv("QT_QPA_PLATFORM", qpa);
    // The plain Unix event loop takes fewer system calls per wake-up than glib's, and the
    // pointer wakes the program a hundred times a second. Nothing here needs glib's loop: the
    // dialogs are the toolkit's own, never GTK's.
    qputenv("QT_NO_GLIB", "1");
    if (SessionPlatform::isWayland(qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE")))
        std::fprintf(stderr, "%s\n", SessionPlatform::waylandNotice().toLocal8Bit().constData());
}

NativePlatform::NativePlatform() : m_services(std::make_unique<Services>()) {}
NativePlatform::~NativePlatform() = default;

ProgramStart& NativePlatform::start() {
    return m_services->start;
}

Platform NativePlatform::services() {
    return m_services->platform.services();
}

} // namespace kerulo
