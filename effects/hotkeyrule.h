#pragma once

#include "platform/globalkeys.h"

#include <vector>

namespace kerulo {

/// What a global key does to the effects: F8 toggles the follow image, F7 the halo, Esc starts
/// or ends the pen. The follow image and the halo exclude each other; the pen goes on beneath
/// either. Esc always ends with exactly one effect, and ending the pen brings back the follow
/// image whatever was on before.
class HotKeyRule {
public:
    /// The visible effects before the key. The pen is on exactly while its toolbox is visible,
    /// whatever its surface does at the moment (the toolbox hides it while the pointer is on the
    /// toolbox, and drawing may be stopped).
    struct Effects {
        bool followImage = false;
        bool halo = false;
        bool pen = false;
    };

    /// One change to one window.
    enum class Step {
        HideHalo,
        HideFollowImage,
        /// Through the window's visibility, which runs its show work.
        ShowFollowImage,
        ShowHalo,
        /// Repaints the whole desktop, which takes the pen's figures off the screen.
        RepaintDesktop,
        CloseSurface,
        CloseToolbox,
        /// Shows the pen's surface in front; showing it brings up the toolbox.
        ShowSurface,
    };

    /// The steps for a key, to be taken in order.
    static std::vector<Step> steps(GlobalKeys::Key key, const Effects& before);
};

} // namespace kerulo
