#include "pen/tform9.h"

#include "platform/systemcolors.h"

namespace kerulo {

TForm9::TForm9(WindowSet& forms) : KForm(forms) {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Form9"));
    setFaceColor(Colors::Purple);
    resize(112, 255);
}

} // namespace kerulo
