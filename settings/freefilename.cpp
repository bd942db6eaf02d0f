#include "settings/freefilename.h"

namespace kerulo {

QString FreeFileName::pick(const QString& wanted, const Look& look) {
    // The folder holds finitely many names, so a free one comes.
    for (int number = 1;; ++number) {
        const QString name = number == 1 ? wanted : numbered(wanted, number);
        if (look(name) != Slot::OtherFile)
            return name;
    }
}

QString FreeFileName::numbered(const QString& wanted, int number) {
    const QString tag = QStringLiteral(" (%1)").arg(number);
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = wanted.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return wanted + tag;
    return wanted.left(dot) + tag + wanted.mid(dot);
}

} // namespace kerulo
