#include "app/keruloapplication.h"
#include "app/windowset.h"
#include "platform/x11/x11platform.h"

#include <QTimer>

int main(int argc, char** argv) {
    kerulo::KeruloApplication app(argc, argv);
    kerulo::X11Platform platform;
    kerulo::WindowSet windows(platform.services());
    QTimer::singleShot(0, &app, [&windows] { windows.showMainWindow(); });
    app.exec();
    return 0;
}
