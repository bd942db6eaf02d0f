#pragma once

#include <stdexcept>
#include <string>

namespace kerulo {

/// A text that does not convert to the value asked for. The message is UTF-8.
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace kerulo
