#pragma once

// What one program holds in the X server, read through the X-Resource extension: how many
// resources of each kind its connections own, and the bytes of its pixmaps.

#include <map>
#include <optional>
#include <string>
#include <sys/types.h>

typedef struct _XDisplay Display;

namespace bench {

class XResourceCounts {
public:
    /// The resources of every connection the process with this id holds to the display, or
    /// nothing when it holds none (it ended, or the server cannot tell clients' process ids).
    /// Throws std::runtime_error when the display has no X-Resource extension of version 1.2.
    static std::optional<XResourceCounts> ofProcess(Display* display, pid_t pid);

    /// Resources of a kind, by the server's name for it: "WINDOW", "PIXMAP", "GC", "PICTURE"...
    long count(const std::string& kind) const;
    long total() const;
    long pixmapBytes() const { return m_pixmapBytes; }
    int connections() const { return m_connections; }
    const std::map<std::string, long>& byKind() const { return m_byKind; }

private:
    std::map<std::string, long> m_byKind;
    long m_pixmapBytes = 0;
    int m_connections = 0;
};

} // namespace bench
