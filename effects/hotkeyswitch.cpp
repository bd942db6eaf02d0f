#include "effects/hotkeyswitch.h"

#include "effects/followimagewindow.h"
#include "effects/halowindow.h"
#include "effects/hotkeyrule.h"
#include "pen/pensurface.h"
#include "pen/pentoolbox.h"
#include "ui/windows.h"

namespace kerulo {

// The follow image and the halo change through their visibility alone, which runs the follow
// image's show work and nothing else.
void HotKeySwitch::apply(Windows& windows, GlobalKeys::Key key) {
    FollowImageWindow& followImage = windows.followImage();
    HaloWindow& halo = windows.halo();
    PenSurface& surface = windows.penSurface();
    PenToolbox& toolbox = windows.penToolbox();
    const HotKeyRule::Effects before{followImage.isVisible(), halo.isVisible(),
                                     toolbox.isVisible()};
    for (HotKeyRule::Step step : HotKeyRule::steps(key, before)) {
        switch (step) {
        case HotKeyRule::Step::HideHalo:
            halo.setVisible(false);
            break;
        case HotKeyRule::Step::HideFollowImage:
            followImage.setVisible(false);
            break;
        case HotKeyRule::Step::ShowFollowImage:
            followImage.setVisible(true);
            break;
        case HotKeyRule::Step::ShowHalo:
            halo.setVisible(true);
            break;
        case HotKeyRule::Step::RepaintDesktop:
            surface.repaintDesktop();
            break;
        case HotKeyRule::Step::CloseSurface:
            surface.closeWindow();
            break;
        case HotKeyRule::Step::CloseToolbox:
            toolbox.closeWindow();
            break;
        case HotKeyRule::Step::ShowSurface:
            surface.showInFront();
            break;
        }
    }
}

} // namespace kerulo
