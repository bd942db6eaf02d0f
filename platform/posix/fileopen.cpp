#include "platform/fileopen.h"

#include <QFile>

namespace kerulo {

std::FILE* openFile(const QString& path, const char* mode) {
    return std::fopen(QFile::encodeName(path).constData(), mode);
}

} // namespace kerulo
