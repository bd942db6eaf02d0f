#pragma once

#include "e2esession.h"
#include "keruloprobe.h"

#include <gtest/gtest.h>

namespace kerulo::e2e {

/// Composited runs xcompmgr, Picom picom with its xrender backend. Scaled: a plain desktop
/// whose font resolution (192 dpi) makes programs scale their windows by 2. Xfce: the Xfce
/// window manager on a message bus of its own, with or without its panel.
enum class Desktop { Plain, Composited, Picom, WithoutTray, Scaled, Xfce, XfceWithoutPanel };

/// Device pixels per logical pixel of the program's windows on a kind of desktop.
constexpr int scaleOf(Desktop kind) {
    return kind == Desktop::Scaled ? 2 : 1;
}

/// A test suite on a virtual desktop of its own, with a client connection to drive and watch
/// it: openbox and a tray host that embeds icons, a compositor too (either one), no tray host
/// at all, a scaled display, or the Xfce window manager with or without its panel.
template <Desktop Kind = Desktop::Plain> class DesktopTest : public ::testing::Test {
protected:
    static QStringList options() {
        switch (Kind) {
        case Desktop::Composited:
            return {"--compositor"};
        case Desktop::Picom:
            return {"--compositor", "picom"};
        case Desktop::WithoutTray:
            return {"--no-tray"};
        case Desktop::Scaled:
            return {"--dpi", "192"};
        case Desktop::Xfce:
            return {"--desktop", "xfce"};
        case Desktop::XfceWithoutPanel:
            return {"--desktop", "xfce", "--no-tray"};
        case Desktop::Plain:
            break;
        }
        return {};
    }
    static void SetUpTestSuite() {
        s_desktop = new VirtualDesktop(options());
        s_x = new XDisplay(s_desktop->display());
    }
    static void TearDownTestSuite() {
        delete s_x;
        delete s_desktop;
        s_x = nullptr;
        s_desktop = nullptr;
    }

    static XDisplay& x() { return *s_x; }
    static KeruloProbe probe() { return KeruloProbe(*s_x); }
    static const std::string& display() { return s_desktop->display(); }
    /// The desktop's session bus, empty when it has none.
    static const std::string& bus() { return s_desktop->bus(); }

private:
    static inline VirtualDesktop* s_desktop = nullptr;
    static inline XDisplay* s_x = nullptr;
};

} // namespace kerulo::e2e
