#include "store/narrowcodepage.h"

namespace kerulo {

// Qt's local 8-bit encoding is UTF-8 on Unix and the ANSI code page on Windows, which is
// exactly the narrow code page on both.
QByteArray NarrowCodePage::fromUnicode(const QString& text) {
    return text.toLocal8Bit();
}

QString NarrowCodePage::toUnicode(const QByteArray& narrow) {
    return QString::fromLocal8Bit(narrow);
}

} // namespace kerulo
