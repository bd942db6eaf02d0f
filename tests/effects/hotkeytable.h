#pragma once

#include "platform/globalkeys.h"
#include "support/casename.h"

#include <ostream>
#include <string>
#include <vector>

namespace kerulo::test {

/// Which effects are visible, named as users name them.
struct VisibleEffects {
    const char* name;
    bool followImage;
    bool halo;
    bool pen;
};

/// One global key pressed in one state, and the state it leaves.
struct HotKeyCase {
    VisibleEffects before;
    GlobalKeys::Key key;
    VisibleEffects after;
};

/// Every state by every key: F8 toggles the follow image, F7 the halo, and each puts the
/// other one away; neither touches the pen. Esc starts the pen with nothing else, or ends it
/// and brings back the follow image.
inline std::vector<HotKeyCase> hotKeyTable() {
    constexpr VisibleEffects Nothing{"nothing", false, false, false};
    constexpr VisibleEffects Follow{"follow", true, false, false};
    constexpr VisibleEffects Halo{"halo", false, true, false};
    constexpr VisibleEffects Pen{"pen", false, false, true};
    constexpr VisibleEffects PenAndFollow{"pen and follow", true, false, true};
    constexpr VisibleEffects PenAndHalo{"pen and halo", false, true, true};
    struct Row {
        VisibleEffects before, afterF8, afterF7, afterEsc;
    };
    const Row rows[] = {
        {Nothing, Follow, Halo, Pen},
        {Follow, Nothing, Halo, Pen},
        {Halo, Follow, Nothing, Pen},
        {Pen, PenAndFollow, PenAndHalo, Follow},
        {PenAndFollow, Pen, PenAndHalo, Follow},
        {PenAndHalo, PenAndFollow, Pen, Follow},
    };
    std::vector<HotKeyCase> cases;
    for (const Row& r : rows) {
        cases.push_back({r.before, GlobalKeys::Key::F8, r.afterF8});
        cases.push_back({r.before, GlobalKeys::Key::F7, r.afterF7});
        cases.push_back({r.before, GlobalKeys::Key::Escape, r.afterEsc});
    }
    return cases;
}

inline void PrintTo(const HotKeyCase& c, std::ostream* out) {
    *out << GlobalKeys::name(c.key).toStdString() << " in \"" << c.before.name << "\" leaves \""
         << c.after.name << '"';
}

/// "pen and halo" with Esc becomes pen_and_halo_Esc.
inline std::string hotKeyCaseName(const HotKeyCase& c) {
    return caseName(std::string(c.before.name) + " " + GlobalKeys::name(c.key).toStdString());
}

} // namespace kerulo::test
