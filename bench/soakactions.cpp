// The soak run's random use: what the user does next, and the rest before each measurement.
#include "soakuser.h"

#include <QThread>

namespace bench::soak {

void User::act() {
    dismissMessageBox();
    if (penOn())
        actWithPen();
    else
        actWithoutPen();
}

void User::rest() {
    dismissMessageBox();
    if (popup()) {
        m_x.tapKey("Escape");
        waitUntil(1000, [&] { return !popup(); });
    }
    if (penOn())
        tapKey("Escape");
    closeDialogs();
    glideTo({m_screen.width() / 2, m_screen.height() / 2});
    QThread::msleep(1000);
}

void User::actWithPen() {
    const int roll = between(1, 100);
    if (roll <= 45)
        stroke();
    else if (roll <= 60)
        useToolButton(between(Tool::Freehand, Tool::RoundedRectangle));
    else if (roll <= 66)
        useToolButton(Tool::Clear);
    else if (roll <= 72)
        changeStyle(Control(between(LineStyle, PenWidth)));
    else if (roll <= 78)
        tapKey("F8");
    else if (roll <= 82)
        tapKey("F7");
    else if (roll <= 88)
        tapKey("Escape");
    else if (roll <= 91)
        closePenWithPicture();
    else
        wander();
}

void User::actWithoutPen() {
    const int roll = between(1, 100);
    if (roll <= 20)
        wander();
    else if (roll <= 28)
        tapKey("F8");
    else if (roll <= 34)
        tapKey("F7");
    else if (roll <= 40)
        tapKey("Escape");
    else if (roll <= 58)
        toolbarCommand(pick(std::vector<int>{Panel::Settings, Panel::Follow, Panel::Halo,
                                             Panel::Pen, Panel::Help}));
    else if (roll <= 72)
        trayCommand(between(MenuItem::Settings, MenuItem::Help));
    else if (roll <= 88)
        saveSettings();
    else
        closeDialogs();
}

} // namespace bench::soak
