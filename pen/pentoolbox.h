#pragma once

#include "ui/kerulowindow.h"

namespace kerulo {

/// The pen's floating toolbox.
class PenToolbox : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit PenToolbox(Windows& windows);
};

} // namespace kerulo
