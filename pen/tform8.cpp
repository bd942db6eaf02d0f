#include "pen/tform8.h"

#include "app/windowset.h"
#include "pen/tform9.h"
#include "platform/systemcolors.h"

namespace kerulo {

TForm8::TForm8(WindowSet& forms) : KForm(forms) {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("Form8"));
    setFaceColor(Colors::White);
    setWindowState(Qt::WindowMaximized);
}

void TForm8::FormShow() {
    forms().Form9->Show();
}

} // namespace kerulo
