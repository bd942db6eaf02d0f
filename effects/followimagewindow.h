#pragma once

#include "effects/effectwindow.h"

class QLabel;

namespace kerulo {

/// The follow image and the program's main window: closing it ends the program. A picture
/// that rides with the pointer, see-through wherever the picture leaves the key gray, never
/// taking mouse input. Its set-up adds the tray icon.
class FollowImageWindow : public EffectWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit FollowImageWindow(Windows& windows);
    /// Ends the program: this is the main window.
    void closeWindow() override;

    /// Pixels right of and below the window's top-left corner at which the pointer sits.
    int cursorOffset() const { return m_cursorOffset; }
    void setCursorOffset(int offset) { m_cursorOffset = offset; }

    /// Shows a composed 128 x 128 picture; pixels of the key gray are see-through.
    void setPicture(const QImage& composed);
    bool hasPicture() const;

    void followPointer(QPoint pointer) override;

protected:
    void setUp() override;
    void whenShown() override;
    void onHotKey(GlobalKeys::Key key) override;

private:
    void updateShape(const QImage& composed);

    int m_cursorOffset = 0;
    QLabel* m_picture = nullptr;
};

} // namespace kerulo
