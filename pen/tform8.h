#pragma once

#include "app/kform.h"

namespace kerulo {

/// The pen's drawing surface, covering the screen. Its show handler brings up the toolbox.
class TForm8 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm8(WindowSet& forms);

protected:
    void FormShow() override;
};

} // namespace kerulo
