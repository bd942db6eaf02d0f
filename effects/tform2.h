#pragma once

#include "effects/effectwindow.h"

#include <memory>

class QLabel;

namespace kerulo {

class TrayIcon;

/// The follow image and the program's main window: closing it ends the program. A picture
/// that rides with the pointer, see-through wherever the picture leaves the key gray, never
/// taking mouse input. It owns the tray icon, whose right-button press opens the toolbar's
/// command menu.
class TForm2 : public EffectWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm2(WindowSet& forms);
    ~TForm2() override;

    /// Ends the program: this is the main window.
    void Close() override;

    /// Pixels right of and below the window's top-left corner at which the pointer sits.
    int CursorOffset = 0;

    /// Shows a composed 128 x 128 picture; pixels of the key gray are see-through.
    void setPicture(const QImage& composed);
    bool hasPicture() const;
    bool hasTrayIcon() const { return m_trayIcon != nullptr; }

    /// Puts the window at the pointer, whether it is shown or not.
    void Timer2Timer(QPoint pointer);

protected:
    void followPointer(QPoint pointer) override { Timer2Timer(pointer); }
    void FormCreate() override;
    void FormShow() override;

private:
    void addTrayIcon();
    void trayMenuRequested();
    void updateShape(const QImage& composed);

    QLabel* m_image1 = nullptr;
    std::unique_ptr<TrayIcon> m_trayIcon;
};

} // namespace kerulo
