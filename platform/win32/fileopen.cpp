#include "platform/fileopen.h"

#include <cstdio>
#include <string>

namespace kerulo {

std::FILE* openFile(const QString& path, const char* mode) {
    const std::wstring widePath = path.toStdWString();
    const std::wstring wideMode = QString::fromLatin1(mode).toStdWString();
    return _wfopen(widePath.c_str(), wideMode.c_str());
}

} // namespace kerulo
