#pragma once

#include "app/kform.h"

#include <memory>

namespace kerulo {

class TrayIcon;

/// The follow image and the program's main window: closing it ends the program. It owns the
/// tray icon, whose right-button press opens the toolbar's command menu.
class TForm2 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm2(WindowSet& forms);
    ~TForm2() override;

    /// Ends the program: this is the main window.
    void Close() override;

    bool hasTrayIcon() const { return m_trayIcon != nullptr; }

protected:
    void FormCreate() override;
    void FormShow() override;

private:
    void addTrayIcon();
    void trayMenuRequested();

    std::unique_ptr<TrayIcon> m_trayIcon;
};

} // namespace kerulo
