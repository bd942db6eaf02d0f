#include "effects/tform3.h"

#include "platform/systemcolors.h"

namespace kerulo {

TForm3::TForm3(WindowSet& forms) : KForm(forms) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("特效3"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint);
    setFaceColor(Colors::Fuchsia);
    setWindowOpacity(100 / 255.0);
    setGeometry(311, 196, 585, 501);
}

} // namespace kerulo
