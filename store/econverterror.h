#pragma once

#include <stdexcept>
#include <string>

namespace kerulo {

/// A text that does not convert to the value asked for. The message is UTF-8.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace kerulo
