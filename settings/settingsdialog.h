#pragma once

#include "ui/kerulowindow.h"

namespace kerulo {

/// The settings dialog. Its stored layout is visible, so it is on screen from its creation
/// until the main window is first shown.
class SettingsDialog : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = true;

    explicit SettingsDialog(Windows& windows);
};

} // namespace kerulo
