#pragma once

#include "app/kform.h"

namespace kerulo {

/// A window that rides with the pointer: borderless, above ordinary windows, never taking
/// mouse input, and moved whenever the pointer moves, shown or not, so that it is at the
/// pointer the moment it is shown.
class EffectWindow : public KForm {
    Q_OBJECT
public:
    explicit EffectWindow(WindowSet& forms);

protected:
    /// Puts the window where it belongs for a pointer position.
    virtual void followPointer(QPoint pointer) = 0;
};

} // namespace kerulo
