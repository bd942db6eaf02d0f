#include "effects/hotkeyrule.h"

namespace kerulo {

std::vector<HotKeyRule::Step> HotKeyRule::steps(GlobalKeys::Key key, const Effects& before) {
    std::vector<Step> out;
    switch (key) {
    case GlobalKeys::Key::F8:
        if (before.halo)
            out.push_back(Step::HideHalo);
        out.push_back(before.followImage ? Step::HideFollowImage : Step::ShowFollowImage);
        break;
    case GlobalKeys::Key::F7:
        if (before.followImage)
            out.push_back(Step::HideFollowImage);
        out.push_back(before.halo ? Step::HideHalo : Step::ShowHalo);
        break;
    case GlobalKeys::Key::Escape:
        if (before.halo)
            out.push_back(Step::HideHalo);
        if (before.followImage)
            out.push_back(Step::HideFollowImage);
        if (before.pen) {
            out.insert(out.end(), {Step::RepaintDesktop, Step::CloseSurface, Step::CloseToolbox,
                                   Step::ShowFollowImage});
        } else {
            out.push_back(Step::ShowSurface);
        }
        break;
    }
    return out;
}

} // namespace kerulo
