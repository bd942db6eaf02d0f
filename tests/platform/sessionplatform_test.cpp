#include "platform/sessionplatform.h"

#include <gtest/gtest.h>

using kerulo::SessionPlatform;

namespace {

struct SessionCase {
    const char* waylandDisplay;
    const char* sessionType;
    bool wayland;
};

const SessionCase Sessions[] = {
    {"", "", false},         {"", "x11", false},         {"", "tty", false},
    {"wayland-0", "", true}, {"wayland-1", "x11", true}, {"", "wayland", true},
    {"", "Wayland", true},
};

TEST(SessionPlatform, WaylandSessionFromEitherVariable) {
    for (const SessionCase& c : Sessions)
        EXPECT_EQ(SessionPlatform::isWayland(c.waylandDisplay, c.sessionType), c.wayland)
            << "WAYLAND_DISPLAY=" << c.waylandDisplay << " XDG_SESSION_TYPE=" << c.sessionType;
}

TEST(SessionPlatform, XcbUnlessTheUserChose) {
    EXPECT_EQ(SessionPlatform::platformToSet(""), QByteArray("xcb"));
    EXPECT_TRUE(SessionPlatform::platformToSet("wayland").isEmpty());
    EXPECT_TRUE(SessionPlatform::platformToSet("offscreen").isEmpty());
    EXPECT_TRUE(SessionPlatform::platformToSet("xcb").isEmpty());
}

TEST(SessionPlatform, NoticeIsOneLinePointingToTheReadme) {
    const QString notice = SessionPlatform::waylandNotice();
    EXPECT_FALSE(notice.contains('\n'));
    EXPECT_TRUE(notice.startsWith("kerulo: "));
    EXPECT_TRUE(notice.contains("README"));
    EXPECT_TRUE(notice.contains("Wayland"));
}

} // namespace
