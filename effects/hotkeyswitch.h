#pragma once

#include "platform/globalkeys.h"

namespace kerulo {

class Windows;

/// Carries out a global key on the windows the way the hot-key rule says, from what is visible
/// at the moment of the press.
class HotKeySwitch {
public:
    static void apply(Windows& windows, GlobalKeys::Key key);
};

} // namespace kerulo
