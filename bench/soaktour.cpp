// The soak run's first minute: every command, tool and control once.
#include "soakuser.h"

namespace bench::soak {

void User::tour() {
    toolbarCommand(Panel::Help);
    trayCommand(MenuItem::Settings);
    saveSettings();
    closeDialogs();
    toolbarCommand(Panel::Halo);
    trayCommand(MenuItem::Follow);
    tapKey("F7");
    tapKey("F8");
    toolbarCommand(Panel::Pen);
    for (int tool = Tool::Freehand; tool <= Tool::RoundedRectangle; ++tool) {
        useToolButton(tool);
        stroke();
    }
    // Every brush once, hatches included, each with a figure to fill; then back to the
    // solid brush.
    useToolButton(Tool::Rectangle);
    for (int brush = 1; brush < BrushStyles; ++brush) {
        changeStyle(BrushStyle, 1);
        stroke();
    }
    changeStyle(BrushStyle, 1 - BrushStyles);
    // A filled figure over the whole screen: where a compositor runs, the pen's pixels on
    // the screen take their memory as figures first reach them.
    coverTheScreen();
    changeStyle(LineStyle, 1);
    changeStyle(PenWidth, -2);
    stroke();
    useToolButton(Tool::Clear);
    tapKey("Escape");
    trayCommand(MenuItem::Pen);
    stroke();
    closePenWithPicture();
    tapKey("Escape");
    stroke();
    tapKey("Escape");
    trayCommand(MenuItem::Halo);
    trayCommand(MenuItem::Help);
    toolbarCommand(Panel::Settings);
    toolbarCommand(Panel::Follow);
    closeDialogs();
}

} // namespace bench::soak
