#include "pen/pensurface.h"

#include "pen/pentoolbox.h"
#include "ui/systemcolors.h"
#include "ui/windows.h"

namespace kerulo {

PenSurface::PenSurface(Windows& windows) : KeruloWindow(windows) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Form8"));
    setFaceColor(Colors::White);
    setWindowState(Qt::WindowMaximized);
}

void PenSurface::whenShown() {
    windows().penToolbox().showInFront();
}

} // namespace kerulo
