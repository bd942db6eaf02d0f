#include "app/keruloapplication.h"
#include "app/programlaunch.h"
#include "app/windowset.h"
#include "platform/nativeplatform.h"
#include "ui/messagebox.h"

#include <QTimer>

int main(int argc, char** argv) {
    kerulo::NativePlatform::prepareToolkit();
    kerulo::KeruloApplication app(argc, argv);
    kerulo::NativePlatform platform;
    if (!kerulo::ProgramLaunch::prepare(platform.start(), platform.services().shell,
                                        kerulo::MessageBox::showMessage))
        return 0;
    kerulo::WindowSet windows(platform.services());
    QTimer::singleShot(0, &app, [&windows] { windows.showMainWindow(); });
    app.exec();
    return 0;
}
