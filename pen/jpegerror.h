#pragma once

#include <stdexcept>

namespace kerulo {

/// A JPEG picture that cannot be decoded: empty, not a JPEG, damaged, of a kind not supported or
/// too large. The message names the picture in UTF-8 and is meant for the error box.
class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kerulo
