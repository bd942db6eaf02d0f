#pragma once

#include "app/kform.h"

namespace kerulo {

/// The help window: a title and a fixed help text.
class TForm5 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm5(WindowSet& forms);
};

} // namespace kerulo
