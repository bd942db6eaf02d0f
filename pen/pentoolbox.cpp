#include "pen/pentoolbox.h"

#include "ui/systemcolors.h"

namespace kerulo {

PenToolbox::PenToolbox(Windows& windows) : KeruloWindow(windows) {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Form9"));
    setFaceColor(Colors::Purple);
    resize(112, 255);
}

} // namespace kerulo
