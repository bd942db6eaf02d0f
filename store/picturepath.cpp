#include "store/picturepath.h"

namespace kerulo {

QString storedPictureName(const QString& fileName) {
    return QStringLiteral("pic\\") + fileName;
}

QString localPicturePath(const QString& stored) {
    return QString(stored).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

} // namespace kerulo
