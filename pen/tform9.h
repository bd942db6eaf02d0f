#pragma once

#include "app/kform.h"

namespace kerulo {

/// The pen's floating toolbox.
class TForm9 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm9(WindowSet& forms);
};

} // namespace kerulo
