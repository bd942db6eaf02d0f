#pragma once

#include "ui/kerulowindow.h"

namespace kerulo {

/// The pen's drawing surface, covering the screen. Showing it brings up the toolbox.
class PenSurface : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit PenSurface(Windows& windows);

protected:
    void whenShown() override;
};

} // namespace kerulo
