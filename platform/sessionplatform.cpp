#include "platform/sessionplatform.h"

namespace kerulo {

bool SessionPlatform::isWayland(const QByteArray& waylandDisplay, const QByteArray& sessionType) {
    return !waylandDisplay.isEmpty() || sessionType.trimmed().toLower() == "wayland";
}

QByteArray SessionPlatform::platformToSet(const QByteArray& userPlatform) {
    return userPlatform.isEmpty() ? QByteArray("xcb") : QByteArray();
}

QString SessionPlatform::waylandNotice() {
    return QStringLiteral("kerulo: Wayland session: running through XWayland; the follow image, "
                          "halo and keys work only over X11 windows (see the README, section "
                          "\"Wayland\")");
}

} // namespace kerulo
