#pragma once

#include "ui/kerulowindow.h"

class QMenu;

namespace kerulo {

class ClickPanel;

/// The edge toolbar: six command panels at the right edge of the primary screen, retracted to
/// a 5-pixel strip until the pointer comes over its place, and the command menu that its right
/// click and the tray icon open.
class EdgeToolbar : public KeruloWindow {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit EdgeToolbar(Windows& windows);
    ~EdgeToolbar() override;

    QMenu* commandMenu() const { return m_commandMenu; }
    /// Opens the command menu at a screen point.
    void popUpMenuAt(QPoint screenPos);

    /// Moves the toolbar in or out for a pointer position, the screen's size read afresh.
    void placeForPointer(QPoint pointer);
    /// The same for wherever the pointer is now; nothing when that cannot be told.
    void lookAtPointer();

    // The six commands of the panels and of the menu.
    void closeProgram();
    void openSettings();
    void showFollowImage();
    void showHalo();
    void openHelp();
    void startPen();

protected:
    void setUp() override;
    void whenShown() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void addPanel(const char* name, const QString& caption, int top,
                  void (EdgeToolbar::*command)());
    void addMenuItem(const char* name, const QString& caption, void (EdgeToolbar::*command)());

    QWidget* m_panels = nullptr;
    QMenu* m_commandMenu = nullptr;
};

} // namespace kerulo
