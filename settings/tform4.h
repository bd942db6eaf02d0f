#pragma once

#include "app/kform.h"

namespace kerulo {

/// The settings dialog. Its stored layout is visible, so it is on screen from its creation
/// until the main window is first shown.
class TForm4 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = true;

    explicit TForm4(WindowSet& forms);
};

} // namespace kerulo
