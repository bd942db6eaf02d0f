#include "help/tform5.h"

#include "platform/systemcolors.h"

namespace kerulo {

TForm5::TForm5(WindowSet& forms) : KForm(forms) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("光标特效"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, SystemColors::BtnFace);
    setPalette(p);
    setGeometry(230, 189, 624, 480);
}

} // namespace kerulo
