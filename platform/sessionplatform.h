#pragma once

#include <QByteArray>
#include <QString>

namespace kerulo {

/// What the program makes of the session it starts in, from the environment's values alone:
/// Kerulo speaks X11 only, so on a Wayland session it runs through XWayland with Qt's xcb
/// platform, unless the user chose a platform of their own.
class SessionPlatform {
public:
    /// A Wayland session: WAYLAND_DISPLAY set and not empty, or XDG_SESSION_TYPE "wayland".
    static bool isWayland(const QByteArray& waylandDisplay, const QByteArray& sessionType);

    /// The value to give QT_QPA_PLATFORM before the application exists: "xcb" when the user
    /// left it unset or empty, nothing (an empty array) when the user's choice stands.
    static QByteArray platformToSet(const QByteArray& userPlatform);

    /// The one line written on standard error on a Wayland session.
    static QString waylandNotice();
};

} // namespace kerulo
