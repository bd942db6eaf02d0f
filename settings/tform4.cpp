#include "settings/tform4.h"

#include "platform/systemcolors.h"

namespace kerulo {

TForm4::TForm4(WindowSet& forms) : KForm(forms) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("综合设置"));
    setFaceColor(SystemColors::BtnFace);
    setGeometry(325, 197, 383, 413);
}

} // namespace kerulo
