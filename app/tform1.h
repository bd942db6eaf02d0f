#pragma once

#include "app/kform.h"

class QMenu;

namespace kerulo {

class ClickPanel;

/// The edge toolbar: six command panels at the right edge of the primary screen, retracted to
/// a 5-pixel strip until the pointer comes over its place, and the command menu that its right
/// click and the tray icon open.
class TForm1 : public KForm {
    Q_OBJECT
public:
    static constexpr bool VisibleAtCreation = false;

    explicit TForm1(WindowSet& forms);
    ~TForm1() override;

    QMenu* PopupMenu1() const { return m_popupMenu1; }
    /// Opens the command menu at a screen point.
    void popUpMenuAt(QPoint screenPos);

    /// Moves the toolbar in or out for a pointer position, the screen's size read afresh.
    void Timer1Timer(QPoint pointer);
    /// The same for wherever the pointer is now; nothing when that cannot be told.
    void lookAtPointer();

    void Pa1Click();
    void Pa2Click();
    void Pa3Click();
    void Pa4Click();
    void Pa5Click();
    void Pa6Click();

protected:
    void FormCreate() override;
    void FormShow() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void addPanel(const char* name, const QString& caption, int top, void (TForm1::*command)());
    void addMenuItem(const char* name, const QString& caption, void (TForm1::*command)());

    QWidget* m_panel1 = nullptr;
    QMenu* m_popupMenu1 = nullptr;
};

} // namespace kerulo
