#include "ui/layoutfonts.h"

#include <QStringList>

namespace kerulo::LayoutFonts {

QFont songTi(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                   QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
                   QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
                   QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont msSansSerif(int pixelSize) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(pixelSize);
    return f;
}

} // namespace kerulo::LayoutFonts
