#pragma once

#include "store/tstream.h"

#include <vector>

namespace kerulo {

/// A stream held in memory that grows as it is written.
class TMemoryStream : public TStream {
public:
    std::int64_t Size() const override;
    std::int64_t Position() const override { return m_position; }
    void SetPosition(std::int64_t position) override;
    std::int64_t Read(void* buffer, std::int64_t count) override;

    /// Writes count bytes at the position, growing the stream as needed, and advances it.
    void Write(const void* buffer, std::int64_t count);
    /// The stream's bytes; null while the stream is empty.
    const char* Memory() const;

private:
    std::vector<char> m_bytes;
    std::int64_t m_position = 0;
};

} // namespace kerulo
