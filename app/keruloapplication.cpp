#include "app/keruloapplication.h"

#include "app/appicon.h"
#include "ui/errorreporter.h"

namespace kerulo {

KeruloApplication::KeruloApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("kerulo"));
    setApplicationDisplayName(QString());
    setWindowIcon(appIcon());
    // Windows are only ever hidden; the program ends from its close command alone.
    setQuitOnLastWindowClosed(false);
}

bool KeruloApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    ErrorReporter::guard([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace kerulo
