#include "app/keruloapplication.h"
#include "app/programlaunch.h"
#include "app/sessionplatform.h"
#include "app/windowset.h"
#include "platform/nativeplatform.h"

#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    // Chosen before the application exists: Qt reads the platform once, in its constructor.
    const QByteArray qpa = kerulo::SessionPlatform::platformToSet(qgetenv("QT_QPA_PLATFORM"));
    if (!qpa.isEmpty())
        qputenv("QT_QPA_PLATFORM", qpa);
    if (kerulo::SessionPlatform::isWayland(qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE")))
        std::fprintf(stderr, "%s\n",
                     kerulo::SessionPlatform::waylandNotice().toLocal8Bit().constData());
    kerulo::KeruloApplication app(argc, argv);
    kerulo::NativePlatform platform;
    if (!kerulo::ProgramLaunch::prepare(platform.start(), platform.services().shell))
        return 0;
    kerulo::WindowSet windows(platform.services());
    QTimer::singleShot(0, &app, [&windows] { windows.showMainWindow(); });
    app.exec();
    return 0;
}
