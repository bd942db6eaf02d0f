#pragma once

#include "effects/effectwindow.h"

namespace kerulo {

/// The halo: a round, evenly coloured, see-through disc centred on the pointer, never taking
/// mouse input.
class HaloWindow : public EffectWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit HaloWindow(Windows& windows);

    /// The diameter the window is centred by.
    int haloSize() const { return m_haloSize; }

    /// Gives the halo its diameter, colour (a stored colour number) and opacity (only the low
    /// 8 bits count), and the round shape of that diameter.
    void applyLook(int diameter, int colour, int opacity);
    int alphaValue() const { return m_alpha; }
    QColor colour() const;

    /// Centres the window on the pointer, whether it is shown or not.
    void followPointer(QPoint pointer) override;

protected:
    void setUp() override;
    void onHotKey(GlobalKeys::Key key) override;

private:
    int m_alpha = 100;
    int m_haloSize = 0;
    int m_windowSide = 0; ///< the window's side, the diameter unless that is beyond the screen
};

} // namespace kerulo
