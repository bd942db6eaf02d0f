#pragma once

#include "app/kform.h"

namespace kerulo {

/// The halo: a round, evenly coloured, see-through disc centred on the pointer.
class TForm3 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm3(WindowSet& forms);
};

} // namespace kerulo
