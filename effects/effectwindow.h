#pragma once

#include "ui/kerulowindow.h"

namespace kerulo {

/// A window that rides with the pointer: borderless, above ordinary windows, never taking
/// mouse input, and moved whenever the pointer moves, shown or not, so that it is at the
/// pointer the moment it is shown.
class EffectWindow : public KeruloWindow {
    Q_OBJECT
public:
    explicit EffectWindow(Windows& windows);

    /// Puts the window where it belongs for a pointer position, whether it is shown or not.
    virtual void followPointer(QPoint pointer) = 0;
};

} // namespace kerulo
