#pragma once

#include "platform/platform.h"

namespace kerulo {

class KeruloWindow;
class FollowImageWindow;
class HaloWindow;
class SettingsDialog;
class HelpWindow;
class PenSurface;
class PenToolbox;

/// How the windows reach each other: each of the seven by its role, the tray icon and the end
/// of the program. The window set implements it; a window knows only this.
class Windows {
public:
    virtual ~Windows() = default;

    virtual KeruloWindow& toolbar() = 0;
    virtual FollowImageWindow& followImage() = 0;
    virtual HaloWindow& halo() = 0;
    virtual SettingsDialog& settings() = 0;
    virtual HelpWindow& help() = 0;
    virtual PenSurface& penSurface() = 0;
    virtual PenToolbox& penToolbox() = 0;

    /// Puts the program's icon in the notification area, with the toolbar's command menu as
    /// the menu its right button opens. The icon goes when the program ends.
    virtual void addTrayIcon() = 0;
    virtual bool hasTrayIcon() const = 0;

    /// A global key could not be taken: says so on standard error at once and, where nobody
    /// sees standard error, in one message box after start-up listing every such key.
    virtual void keyNotTaken(const QString& keyName, const QString& why) = 0;
    /// Ends the program once the current event has been handled.
    virtual void closeProgram() = 0;

    virtual const Platform& platform() const = 0;
};

} // namespace kerulo
