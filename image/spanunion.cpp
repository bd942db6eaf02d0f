#include "image/spanunion.h"

#include <algorithm>

namespace kerulo {

std::vector<Span> spanUnion(std::vector<Span> spans) {
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
    });
    std::vector<Span> out;
    out.reserve(spans.size());
    for (const Span& s : spans) {
        if (s.x0 >= s.x1)
            continue;
        if (!out.empty() && out.back().y == s.y && s.x0 <= out.back().x1)
            out.back().x1 = std::max(out.back().x1, s.x1);
        else
            out.push_back(s);
    }
    return out;
}

} // namespace kerulo
