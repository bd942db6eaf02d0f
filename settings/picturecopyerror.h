#pragma once

#include <stdexcept>

namespace kerulo {

/// A picked picture that cannot be brought into the program's picture folder. The message
/// names the files in UTF-8 and is meant for the error box.
class PictureCopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kerulo
