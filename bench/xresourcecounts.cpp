#include "xresourcecounts.h"

#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>

#include <numeric>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

// The server's client ids (resource bases) of the connections a process holds.
std::vector<XID> connectionsOf(Display* display, pid_t pid) {
    XResClientIdSpec every{None, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* ids = nullptr;
    if (XResQueryClientIds(display, 1, &every, &count, &ids) != Success)
        throw std::runtime_error("the X server did not list its clients' process ids");
    std::vector<XID> bases;
    for (long i = 0; i < count; ++i)
        if (XResGetClientIdType(&ids[i]) == XRES_CLIENT_ID_PID && XResGetClientPid(&ids[i]) == pid)
            bases.push_back(ids[i].spec.client);
    XResClientIdsDestroy(count, ids);
    return bases;
}

} // namespace

std::optional<XResourceCounts> XResourceCounts::ofProcess(Display* display, pid_t pid) {
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XResQueryExtension(display, &eventBase, &errorBase) ||
        !XResQueryVersion(display, &major, &minor) || major * 100 + minor < 102)
        throw std::runtime_error("the display has no X-Resource extension of version 1.2");

    const std::vector<XID> bases = connectionsOf(display, pid);
    if (bases.empty())
        return std::nullopt;
    XResourceCounts counts;
    for (const XID base : bases) {
        int kinds = 0;
        XResType* types = nullptr;
        // A connection that closes between the two queries has nothing left to count. The
        // version 1.0 requests give true on success, those of version 1.2 Success (zero).
        if (!XResQueryClientResources(display, base, &kinds, &types))
            continue;
        ++counts.m_connections;
        for (int i = 0; i < kinds; ++i) {
            char* name = XGetAtomName(display, types[i].resource_type);
            counts.m_byKind[name ? name : "?"] += long(types[i].count);
            if (name)
                XFree(name);
        }
        if (types)
            XFree(types);
        unsigned long bytes = 0;
        if (XResQueryClientPixmapBytes(display, base, &bytes))
            counts.m_pixmapBytes += long(bytes);
    }
    if (counts.m_connections == 0)
        return std::nullopt;
    return counts;
}

long XResourceCounts::count(const std::string& kind) const {
    const auto found = m_byKind.find(kind);
    return found == m_byKind.end() ? 0 : found->second;
}

long XResourceCounts::total() const {
    return std::accumulate(m_byKind.begin(), m_byKind.end(), 0L,
                           [](long sum, const auto& kind) { return sum + kind.second; });
}

} // namespace bench
