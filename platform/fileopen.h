#pragma once

#include <QString>

#include <cstdio>

namespace kerulo {

/// Opens the file `path` as std::fopen does (the same modes; null and errno set when it cannot),
/// for any name the file system can hold: on Windows through the wide-character API, because the
/// narrow one takes names in the ANSI code page and cannot reach a file whose name has characters
/// outside it; elsewhere with the name in the file system's encoding.
std::FILE* openFile(const QString& path, const char* mode);

} // namespace kerulo
