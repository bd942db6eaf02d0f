#include "store/tmemorystream.h"

#include <algorithm>
#include <cstring>

namespace kerulo {

std::int64_t TMemoryStream::Size() const {
    return static_cast<std::int64_t>(m_bytes.size());
}

void TMemoryStream::SetPosition(std::int64_t position) {
    m_position = std::clamp<std::int64_t>(position, 0, Size());
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const std::int64_t n = std::clamp<std::int64_t>(count, 0, Size() - m_position);
    if (n > 0)
        std::memcpy(buffer, m_bytes.data() + m_position, static_cast<std::size_t>(n));
    m_position += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0)
        return;
    const std::int64_t end = m_position + count;
    if (end > Size())
        m_bytes.resize(static_cast<std::size_t>(end));
    std::memcpy(m_bytes.data() + m_position, buffer, static_cast<std::size_t>(count));
    m_position = end;
}

const char* TMemoryStream::Memory() const {
    return m_bytes.empty() ? nullptr : m_bytes.data();
}

} // namespace kerulo
