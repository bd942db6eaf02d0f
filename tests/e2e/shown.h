#pragma once

#include "keruloprobe.h"

#include <ostream>

namespace kerulo::e2e {

/// The effects on screen: which of the follow image, the halo and the pen (its toolbox).
struct Shown {
    bool followImage = false;
    bool halo = false;
    bool pen = false;

    static Shown on(const KeruloProbe& probe) {
        return {probe.followImage().has_value(), probe.halo().has_value(),
                probe.penToolbox().has_value()};
    }
    bool operator==(const Shown& o) const {
        return followImage == o.followImage && halo == o.halo && pen == o.pen;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << "follow image " << s.followImage << ", halo " << s.halo << ", pen " << s.pen;
}

} // namespace kerulo::e2e
