#pragma once

#include "store/tobject.h"

#include <cstdint>

namespace kerulo {

/// A sequence of bytes with a read position.
class TStream : public TObject {
public:
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t Position() const = 0;
    /// Moves the read position; it is kept within 0 and Size().
    virtual void SetPosition(std::int64_t position) = 0;
    /// Copies up to count bytes from the position on and advances it; returns the bytes copied.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
};

} // namespace kerulo
