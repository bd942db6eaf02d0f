#pragma once

#include <stdexcept>

namespace kerulo {

/// A follow picture that cannot be loaded: the file is missing or unreadable, is not a PNG, is
/// damaged or is too large. The message names the file in UTF-8 and is meant for the error box.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kerulo
