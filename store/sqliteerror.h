#pragma once

#include <stdexcept>
#include <string>

namespace kerulo {

/// Every failure of the SQLite layer. The message is UTF-8 and may carry the library's own text.
class SqliteError : public std::runtime_error {
public:
    explicit SqliteError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace kerulo
